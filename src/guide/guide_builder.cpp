#include "guide/guide_builder.h"

#include "guide/guide_wanted_channels.h"

#include <algorithm>

namespace {
// Titles, names and descriptions once seen again are shared: they repeat all through a guide.
constexpr size_t kMaxSharedTexts = 1'000'000;
// What a channel costs besides its texts: its record, its state and its entry in the id table.
constexpr size_t kChannelBytes = sizeof(GuideChannel) + 96;
constexpr size_t kStartNodeBytes = 48;  // a node of a channel's set of starts

std::string count_text(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}
}  // namespace

size_t guide_budget(size_t remaining, uint64_t file_bytes) {
  if (file_bytes == 0) return remaining;
  const uint64_t own = kGuideBaseBudget + kGuideBudgetPerFileByte * std::min<uint64_t>(file_bytes, uint64_t{1} << 40);
  return static_cast<size_t>(std::min<uint64_t>(remaining, own));
}

// A programme that started before the window and gives no end: it may run into the window, which
// only the channel's next programme tells. Only the latest such one of a channel can, so it waits
// here with its texts, which go to the pool only if it is kept.
struct GuideBuilder::Pending {
  int64_t start = 0;
  std::string title, sub_title, description;
  size_t bytes() const { return sizeof(Pending) + title.size() + sub_title.size() + description.size(); }
};

struct GuideBuilder::ChannelState {
  bool declared = false;  // a <channel> element named it
  bool wanted = false;
  bool unsorted = false;  // a programme came before one already kept
  std::unique_ptr<std::set<int64_t>> starts;  // once a programme came out of order
  std::unique_ptr<Pending> before_window;
};

GuideBuilder::GuideBuilder(const GuideKeepRules& rules) : rules_(rules), shared_(kMaxSharedTexts) {}
GuideBuilder::~GuideBuilder() = default;

size_t GuideBuilder::kept_bytes() const {
  // Vectors grow by doubling: count each programme twice.
  return guide_.texts.memory_bytes() + shared_.memory_bytes() + kept_ * sizeof(GuideProgramme) * 2 +
         guide_.channels.size() * kChannelBytes + guide_.names.capacity() * sizeof(GuideDisplayName) +
         start_sets_ * kStartNodeBytes + pending_bytes_;
}

void GuideBuilder::stop_with(std::string reason) {
  if (stop_reason_.empty()) stop_reason_ = std::move(reason);
}

bool GuideBuilder::within_budget() {
  if (full()) return false;
  if (kept_bytes() <= rules_.memory_budget) return true;
  stop_with("The guide holds more than the " + std::to_string(rules_.memory_budget >> 20) +
       " MB of memory set aside for it; the rest was left out.");
  return false;
}

bool GuideBuilder::add_text(std::string_view text, GuideText& where) {
  if (!within_budget()) return false;
  if (guide_.texts.add(text, where)) return true;
  stop_with("The guide's texts pass 2 GB; the rest was left out.");
  return false;
}

bool GuideBuilder::add_shared(std::string_view text, GuideText& where) {
  where = {};
  if (text.empty()) return true;
  if (const GuideText found = shared_.find(guide_.texts, text); found.size != 0) {
    where = found;
    return true;
  }
  if (!add_text(text, where)) return false;
  shared_.keep(guide_.texts, text, where);
  return true;
}

bool GuideBuilder::wanted(std::string_view id, const std::vector<GuideDisplayNameRead>* names) const {
  if (!rules_.wanted || rules_.wanted->wants_id(id)) return true;
  if (names)
    for (const GuideDisplayNameRead& name : *names)
      if (rules_.wanted->wants_name(name.name)) return true;
  return false;
}

// The channel of an id, made when new; kNone when it cannot be kept.
uint32_t GuideBuilder::channel_index(std::string_view id, bool declared) {
  if (id.size() > kMaxGuideIdBytes) {
    if (declared) ++long_ids_;
    return kNone;
  }
  if (const auto found = ids_.find(id); found != ids_.end()) return found->second;
  if (guide_.channels.size() >= kMaxGuideChannels) {
    ++past_channel_bound_;
    return kNone;
  }
  GuideChannel channel;
  if (!add_text(id, channel.id)) return kNone;
  guide_.channels.push_back(std::move(channel));
  states_.emplace_back();
  const auto index = static_cast<uint32_t>(guide_.channels.size() - 1);
  ids_.emplace(guide_.text(guide_.channels.back().id), index);
  return index;
}

void GuideBuilder::add_channel(std::string_view id, const std::vector<GuideDisplayNameRead>& names) {
  ++elements_;
  if (full()) return;
  const uint32_t index = channel_index(id, true);
  if (index == kNone) return;
  GuideChannel& channel = guide_.channels[index];
  ChannelState& state = states_[index];
  // A channel's names are first told by its element; one its programmes made known gets them now,
  // and may be wanted by them from here on.
  if (state.declared) return;
  state.declared = true;
  state.wanted = state.wanted || wanted(id, &names);
  const auto first = static_cast<uint32_t>(guide_.names.size());
  for (const GuideDisplayNameRead& read : names) {
    if (channel.name_count >= kMaxGuideNamesPerChannel) break;
    GuideDisplayName name;
    if (read.name.empty() || !add_shared(read.name, name.name) || !add_shared(read.lang, name.lang)) continue;
    guide_.names.push_back(name);
    ++channel.name_count;
  }
  channel.first_name = channel.name_count ? first : 0;
}

std::optional<uint32_t> GuideBuilder::programme_channel(std::string_view channel_id, int64_t start, int64_t stop) {
  ++elements_;
  if (full()) return std::nullopt;
  const bool plausible = start >= kEarliestGuideTime && start <= kLatestGuideTime &&
                         (stop == kGuideNoStop || stop - start <= kLongestGuideProgramme);
  if (!plausible) {
    ++skipped_;
    return std::nullopt;
  }
  // Without an end it may still run into the window; the following programme will tell.
  const GuideWindow& window = rules_.window;
  if (start >= window.to || (stop != kGuideNoStop && !window.contains(start, stop))) {
    ++outside_window_;
    return std::nullopt;
  }
  // A guide lists a channel's programmes one after another: its last one's channel is the likely one.
  if (last_index_ == kNone || channel_id != last_id_) {
    const bool known = ids_.find(channel_id) != ids_.end();
    const uint32_t index = channel_index(channel_id, false);
    if (index == kNone) {
      ++skipped_;
      return std::nullopt;
    }
    // Programmes of a channel no element named are kept by its id alone.
    if (!known) states_[index].wanted = wanted(channel_id, nullptr);
    last_id_.assign(channel_id);
    last_index_ = index;
  }
  const uint32_t index = last_index_;
  const ChannelState& state = states_[index];
  if (!state.wanted) return std::nullopt;
  return index;
}

void GuideBuilder::add_programme(uint32_t index, int64_t start, int64_t stop, const ProgrammeTexts& texts) {
  if (full()) return;
  GuideChannel& channel = guide_.channels[index];
  ChannelState& state = states_[index];
  auto& programmes = channel.programmes;

  if (stop == kGuideNoStop && start < rules_.window.from) {
    if (state.before_window && state.before_window->start >= start) {
      ++outside_window_;
      return;
    }
    if (state.before_window) {
      ++outside_window_;
      pending_bytes_ -= state.before_window->bytes();
    }
    state.before_window = std::make_unique<Pending>(
        Pending{start, std::string(texts.title), std::string(texts.sub_title), std::string(texts.description)});
    pending_bytes_ += state.before_window->bytes();
    within_budget();
    return;
  }

  // Two sources or a repeated block give the same start twice: the first one read stays.
  if (!programmes.empty() && start <= programmes.back().start) {
    if (!state.starts) {
      if (start == programmes.back().start) {
        ++skipped_;
        return;
      }
      state.starts = std::make_unique<std::set<int64_t>>();
      for (const GuideProgramme& p : programmes) state.starts->insert(p.start);
      start_sets_ += programmes.size();
    }
    state.unsorted = true;
  }
  if (state.starts && state.starts->count(start)) {
    ++skipped_;
    return;
  }
  if (programmes.size() >= kMaxGuideProgrammesPerChannel) {
    if (programmes.size() == kMaxGuideProgrammesPerChannel) ++crowded_channels_;
    ++skipped_;
    return;
  }
  if (kept_ >= kMaxGuideProgrammes) {
    stop_with("The guide holds more than 10 million programmes; the rest were left out.");
    return;
  }

  GuideProgramme programme;
  programme.start = start;
  programme.stop = stop;
  if (!add_shared(texts.title, programme.title) || !add_shared(texts.sub_title, programme.sub_title) ||
      !add_shared(texts.description, programme.description) || !within_budget())
    return;
  programmes.push_back(programme);
  if (state.starts) {
    state.starts->insert(start);
    ++start_sets_;
  }
  ++kept_;
}

void GuideBuilder::finish_channel(uint32_t index) {
  GuideChannel& channel = guide_.channels[index];
  ChannelState& state = states_[index];
  auto& programmes = channel.programmes;
  const auto by_start = [](const GuideProgramme& a, const GuideProgramme& b) { return a.start < b.start; };
  if (state.unsorted) std::sort(programmes.begin(), programmes.end(), by_start);

  if (const std::unique_ptr<Pending> before = std::move(state.before_window)) {
    pending_bytes_ -= before->bytes();
    GuideProgramme programme;
    programme.start = before->start;
    const auto next = std::upper_bound(programmes.begin(), programmes.end(), programme, by_start);
    const bool same_start = next != programmes.begin() && std::prev(next)->start == before->start;
    programme.stop = next == programmes.end() ? before->start : next->start;
    // A start long before the next one is a gap in the guide, not a programme running through it.
    const bool plausible = programme.stop - programme.start <= kLongestGuideProgramme;
    const bool room = programmes.size() < kMaxGuideProgrammesPerChannel;
    if (!same_start && plausible && room && rules_.window.contains(programme.start, programme.stop) &&
        add_shared(before->title, programme.title) && add_shared(before->sub_title, programme.sub_title) &&
        add_shared(before->description, programme.description)) {
      programmes.insert(next, programme);
      ++kept_;
    } else {
      ++outside_window_;
    }
  }
  for (size_t i = 0; i < programmes.size(); ++i)
    if (programmes[i].stop == kGuideNoStop)
      programmes[i].stop = i + 1 < programmes.size() ? programmes[i + 1].start : programmes[i].start;
  programmes.shrink_to_fit();
  state.starts.reset();
}

Guide GuideBuilder::finish() {
  for (uint32_t i = 0; i < guide_.channels.size(); ++i) finish_channel(i);
  guide_.names.shrink_to_fit();
  ids_.clear();
  states_.clear();
  return std::move(guide_);
}

std::string GuideBuilder::notes() const {
  std::string notes;
  const auto add = [&notes](const std::string& note) { notes += (notes.empty() ? "" : " ") + note; };
  if (long_ids_)
    add(count_text(long_ids_, "channel has an id", "channels have ids") + " longer than " +
        std::to_string(kMaxGuideIdBytes) + " bytes; " + (long_ids_ == 1 ? "it was" : "they were") + " left out.");
  if (past_channel_bound_) add("The guide names more than 200 000 channels; the rest were left out.");
  if (crowded_channels_)
    add(count_text(crowded_channels_, "channel has", "channels have") + " more than " +
        std::to_string(kMaxGuideProgrammesPerChannel) + " programmes in the days shown; the rest were left out.");
  return notes;
}
