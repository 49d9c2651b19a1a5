#pragma once
#include "catalogue/keyed_hash.h"
#include "guide/guide.h"
#include "guide/guide_shared_texts.h"
#include "guide/guide_time.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class GuideWantedChannels;

// What a guide keeps of what its reader finds, so that memory follows what can be shown rather
// than what the document holds: programmes of the channels the user has, within the window, each
// start of a channel once (the first read), every text once however often it repeats, all within a
// budget of memory. A guide's channels are all kept, with their names, for the user to match by hand.

inline constexpr int64_t kGuideNoStop = std::numeric_limits<int64_t>::min();

// Bounds no real guide comes near.
inline constexpr size_t kMaxGuideChannels = 200'000;
inline constexpr size_t kMaxGuideNamesPerChannel = 32;
inline constexpr size_t kMaxGuideProgrammes = 10'000'000;
inline constexpr size_t kMaxGuideProgrammesPerChannel = 8192;  // one every 42 s over four days
inline constexpr size_t kMaxGuideIdBytes = 256;
inline constexpr size_t kMaxGuideNameBytes = 256;
inline constexpr size_t kMaxGuideLangBytes = 32;
inline constexpr size_t kMaxGuideTitleBytes = 1024;        // and sub-title
inline constexpr size_t kMaxGuideDescriptionBytes = 8192;  // longer ones are cut
// Programmes outside these are dated by mistake (year 0 to 9999 would show as running now).
inline constexpr int64_t kEarliestGuideTime = 0;                      // 1970
inline constexpr int64_t kLatestGuideTime = int64_t{7'258'118'400};   // 2200
inline constexpr int64_t kLongestGuideProgramme = int64_t{7} * 86400;  // a week

// Memory all guides together may keep, and what one guide may keep of it: a little, and a few times
// its file's size (a compressed guide keeps about its compressed size; every real one stays far
// below this), so a small hostile file cannot make the program hold much.
inline constexpr size_t kGuidesMemoryBudget = size_t{1} << 30;
inline constexpr size_t kGuideBaseBudget = size_t{16} << 20;
inline constexpr size_t kGuideBudgetPerFileByte = 8;
size_t guide_budget(size_t remaining, uint64_t file_bytes);

struct GuideKeepRules {
  GuideWindow window;
  const GuideWantedChannels* wanted = nullptr;  // nullptr: every channel's programmes are kept
  size_t memory_budget = kGuidesMemoryBudget;
};

struct GuideDisplayNameRead {
  std::string name;
  std::string lang;
};

class GuideBuilder {
 public:
  explicit GuideBuilder(const GuideKeepRules& rules);
  ~GuideBuilder();

  // A <channel> with its display names (cut and trimmed by the reader). A channel named again keeps
  // the names it was first given.
  void add_channel(std::string_view id, const std::vector<GuideDisplayNameRead>& names);

  // At a programme's start tag: the channel it would be kept for, or nothing when it will not be
  // kept whatever it holds (its texts need not be read then). `stop` is kGuideNoStop when unknown.
  std::optional<uint32_t> programme_channel(std::string_view channel_id, int64_t start, int64_t stop);
  struct ProgrammeTexts {
    std::string_view title, sub_title, description;
  };
  // The programme whose start tag programme_channel() answered with `channel`.
  void add_programme(uint32_t channel, int64_t start, int64_t stop, const ProgrammeTexts& texts);

  // Once the guide cannot keep more (its budget or a bound): why, fit for the user.
  bool full() const { return !stop_reason_.empty(); }
  const std::string& stop_reason() const { return stop_reason_; }

  // The guide, its programmes sorted with their missing stops filled in.
  Guide finish();
  // Things left out along the way that the user should hear of; empty when nothing was.
  std::string notes() const;
  size_t programmes_outside_window() const { return outside_window_; }
  size_t programmes_skipped() const { return skipped_; }
  size_t elements() const { return elements_; }
  size_t kept_bytes() const;

 private:
  struct Pending;
  struct ChannelState;
  static constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

  uint32_t channel_index(std::string_view id, bool declared);
  bool wanted(std::string_view id, const std::vector<GuideDisplayNameRead>* names) const;
  bool add_text(std::string_view text, GuideText& where);
  bool add_shared(std::string_view text, GuideText& where);
  bool within_budget();
  void stop_with(std::string reason);
  void finish_channel(uint32_t index);

  GuideKeepRules rules_;
  Guide guide_;
  GuideSharedTexts shared_;
  std::unordered_map<std::string_view, uint32_t, KeyedTextHash, std::equal_to<>> ids_;  // into guide_.texts
  std::vector<ChannelState> states_;
  std::string last_id_;  // of the last programme's channel
  uint32_t last_index_ = kNone;
  size_t kept_ = 0, outside_window_ = 0, skipped_ = 0, elements_ = 0;
  size_t long_ids_ = 0, past_channel_bound_ = 0, crowded_channels_ = 0, start_sets_ = 0, pending_bytes_ = 0;
  std::string stop_reason_;
};
