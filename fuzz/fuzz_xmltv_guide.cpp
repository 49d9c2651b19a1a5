// Feeds arbitrary bytes to the guide reader as a guide file (plain, or gzip-compressed when they
// begin as gzip does). The first byte picks what is kept: an even one every channel's programmes, an
// odd one only those of a few channels the user has. Besides crashes it stops on a broken promise:
// a programme outside the window or the plausible dates, longer than a week, out of order or at a
// start its channel already has; a text past its bound or cut within a character; a channel listed
// twice, with too many names or programmes, or with programmes it was not wanted for; or a guide
// holding more memory than its file's budget.
#include "guide/guide_wanted_channels.h"
#include "guide/xmltv_reader.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <unordered_set>

namespace {
void check(bool promise) {
  if (!promise) std::abort();
}

bool whole_text(std::string_view text, size_t bound) {
  return text.size() <= bound && QByteArrayView(text.data(), static_cast<qsizetype>(text.size())).isValidUtf8();
}

// Channels of the seeds, by id and by name.
const GuideWantedChannels& users_channels() {
  static const GuideWantedChannels wanted = [] {
    GuideWantedChannels channels;
    channels.add_id("one.example");
    channels.add_id("a");
    channels.add_name("Two");
    channels.add_name("Caf\u00e9 Kino");
    channels.finish();
    return channels;
  }();
  return wanted;
}

bool wanted(const Guide& guide, const GuideChannel& channel) {
  const GuideWantedChannels& users = users_channels();
  if (users.wants_id(guide.text(channel.id))) return true;
  for (const GuideDisplayName& name : guide.names_of(channel))
    if (users.wants_name(guide.text(name.name))) return true;
  return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const bool only_users_channels = bytes[0] & 1;
  const std::string_view file(reinterpret_cast<const char*>(bytes + 1), size - 1);
  // 2026-12-10 in UTC, fixed so that a finding reads the same again.
  static const GuideWindow window{days_from_civil(2026, 12, 9) * 86400, days_from_civil(2026, 12, 13) * 86400};
  GuideReadOptions options(window);
  if (only_users_channels) options.wanted = &users_channels();
  const GuideRead read = read_guide_bytes(file, options);
  const Guide& guide = read.guide;

  // The budget is checked before a text is added, and a text may open a new block of the pool.
  const size_t slack = 2 * GuideTextPool::kBlockBytes;
  check(guide.memory_bytes() <= guide_budget(kGuidesMemoryBudget, std::max<size_t>(file.size(), 1)) + slack);
  check(guide.channels.size() <= kMaxGuideChannels && guide.programme_count() <= kMaxGuideProgrammes);

  std::unordered_set<std::string_view> ids;
  for (const GuideChannel& channel : guide.channels) {
    const std::string_view id = guide.text(channel.id);
    check(whole_text(id, kMaxGuideIdBytes) && ids.insert(id).second);
    check(channel.name_count <= kMaxGuideNamesPerChannel);
    check(channel.first_name + channel.name_count <= guide.names.size());
    for (const GuideDisplayName& name : guide.names_of(channel)) {
      const std::string_view text = guide.text(name.name);
      check(!text.empty() && whole_text(text, kMaxGuideNameBytes));
    }
    check(channel.programmes.size() <= kMaxGuideProgrammesPerChannel);
    if (only_users_channels && !channel.programmes.empty()) check(wanted(guide, channel));
    int64_t previous = INT64_MIN;
    for (const GuideProgramme& p : channel.programmes) {
      check(p.start > previous && p.stop >= p.start && window.contains(p.start, p.stop));
      check(p.start >= kEarliestGuideTime && p.stop <= kLatestGuideTime && p.stop - p.start <= kLongestGuideProgramme);
      previous = p.start;
      check(whole_text(guide.text(p.title), kMaxGuideTitleBytes) && whole_text(guide.text(p.sub_title), kMaxGuideTitleBytes));
      check(whole_text(guide.text(p.description), kMaxGuideDescriptionBytes));
    }
  }
  return 0;
}
