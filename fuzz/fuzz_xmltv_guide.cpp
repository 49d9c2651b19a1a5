// Feeds arbitrary bytes to the guide reader as a guide file (plain, or gzip-compressed when they
// begin as gzip does). Besides crashes it stops on a broken promise: a programme outside the window,
// programmes out of order, a text outside the pool, or more names than a channel may keep.
#include "guide/xmltv_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
void check(bool promise) {
  if (!promise) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  // 2026-12-10 in UTC, fixed so that a finding reads the same again.
  static const GuideWindow window{days_from_civil(2026, 12, 9) * 86400, days_from_civil(2026, 12, 13) * 86400};
  const GuideRead read = read_guide_bytes(std::string_view(reinterpret_cast<const char*>(bytes), size), {window});
  const Guide& guide = read.guide;
  for (const GuideChannel& channel : guide.channels) {
    check(channel.name_count <= kMaxGuideNamesPerChannel);
    check(channel.first_name + channel.name_count <= guide.names.size());
    for (const GuideDisplayName& name : guide.names_of(channel)) check(!guide.text(name.name).empty());
    int64_t previous = INT64_MIN;
    for (const GuideProgramme& p : channel.programmes) {
      check(p.start > previous && p.stop >= p.start && window.contains(p.start, p.stop));
      previous = p.start;
      check(guide.text(p.title).size() <= kMaxGuideTitleBytes && guide.text(p.description).size() <= kMaxGuideDescriptionBytes);
    }
  }
  return 0;
}
