#pragma once
#include "guide/guide.h"
#include "guide/guide_input.h"
#include "guide/guide_time.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Reads an XMLTV guide (plain or gzip-compressed) as it streams in: channels with their display
// names, and the programmes within the window. The document is never trusted: nothing it names is
// fetched (no external entities, no DTD), entity expansion, markup and texts are bounded, and a
// document that breaks off keeps what was read before the fault and says why.

struct GuideReadOptions {
  GuideWindow window;
  // Called between pieces of the source: bytes read so far and the source's size (0 if unknown);
  // answering false stops the reading, as Cancel does.
  std::function<bool(uint64_t done, uint64_t total)> progress;
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
inline constexpr size_t kMaxGuideChannels = 200'000;
inline constexpr size_t kMaxGuideNamesPerChannel = 32;
inline constexpr size_t kMaxGuideProgrammes = 10'000'000;

GuideRead read_guide(GuideInput::RawRead source, uint64_t source_size, const GuideReadOptions& options);
GuideRead read_guide_bytes(std::string_view bytes, const GuideReadOptions& options);
GuideRead read_guide_file(const QString& path, const GuideReadOptions& options);
