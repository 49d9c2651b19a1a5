#pragma once
#include "guide/guide.h"
#include "guide/guide_builder.h"
#include "guide/guide_input.h"
#include "guide/guide_time.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Reads an XMLTV guide (plain or gzip-compressed) as it streams in: channels with their display
// names, and the programmes within the window that guide_builder keeps. The document is never
// trusted: nothing it names is fetched (no external entities, no DTD), entity expansion, markup,
// texts and the work per element are bounded, and a document that breaks off keeps what was read
// before the fault and says why.

struct GuideReadOptions {
  GuideReadOptions(const GuideWindow& days, std::function<bool(uint64_t done, uint64_t total)> told = {})
      : window(days), progress(std::move(told)) {}

  GuideWindow window;
  // Called between pieces of the source: bytes read so far and the source's size (0 if unknown);
  // answering false stops the reading, as Cancel does.
  std::function<bool(uint64_t done, uint64_t total)> progress;
  const GuideWantedChannels* wanted = nullptr;  // nullptr: every channel's programmes
  size_t memory_budget = kGuidesMemoryBudget;  // what is left of it for this guide
};

struct GuideRead {
  Guide guide;
  std::string problem;  // empty when the whole document was read; else why not, fit for the user
  bool cancelled = false;
  size_t programmes_outside_window = 0;
  size_t programmes_skipped = 0;  // without a channel or a readable start
};

// Bounds no real guide comes near.
inline constexpr size_t kMaxGuideMarkupBytes = size_t{1} << 20;  // one tag, declaration or comment
inline constexpr size_t kMaxGuideDepth = 64;
// Past the first few megabytes, a guide averages far less than this per channel or programme; a
// document of blanks or of endless texts is refused long before it is read through.
inline constexpr uint64_t kGuideWorkGrace = uint64_t{16} << 20;
inline constexpr uint64_t kMaxGuideBytesPerElement = 32 * 1024;

GuideRead read_guide(GuideInput::RawRead source, uint64_t source_size, const GuideReadOptions& options);
GuideRead read_guide_bytes(std::string_view bytes, const GuideReadOptions& options);
GuideRead read_guide_file(const QString& path, const GuideReadOptions& options);
