#pragma once
#include "guide/guide_text_pool.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A programme guide as read from XMLTV: its channels with their display names, and for each channel
// its programmes within the guide window, sorted by start.

struct GuideProgramme {
  int64_t start = 0;  // seconds since the epoch, UTC
  int64_t stop = 0;   // equal to start when the guide gives no end and no programme follows
  GuideText title;
  GuideText sub_title;
  GuideText description;
};

struct GuideDisplayName {
  GuideText name;
  GuideText lang;
};

struct GuideChannel {
  GuideText id;
  uint32_t first_name = 0;  // into Guide::names
  uint32_t name_count = 0;
  std::vector<GuideProgramme> programmes;
};

struct Guide {
  GuideTextPool texts;
  std::vector<GuideChannel> channels;
  std::vector<GuideDisplayName> names;

  std::string_view text(GuideText span) const { return texts.text(span); }
  std::span<const GuideDisplayName> names_of(const GuideChannel& channel) const {
    return std::span<const GuideDisplayName>(names).subspan(channel.first_name, channel.name_count);
  }
  size_t programme_count() const;
  // Bytes held by the records and texts, for the memory figures.
  size_t memory_bytes() const;
};

// Where a channel's programmes of a span of time lie: the one running at `from` (if any) and every
// one starting before `to`.
std::span<const GuideProgramme> programmes_between(const GuideChannel& channel, int64_t from, int64_t to);

// The programme running at `when` and the one after it; either may be missing.
struct NowAndNext {
  const GuideProgramme* now = nullptr;
  const GuideProgramme* next = nullptr;
};
NowAndNext now_and_next(const GuideChannel& channel, int64_t when);
