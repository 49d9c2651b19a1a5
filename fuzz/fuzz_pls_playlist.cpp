// Feeds arbitrary bytes to the playlist reader as a PLS file, in whatever encoding they seem to be,
// and checks the promises of playlist_checks.h.
#include "playlist_checks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  fuzz_playlist::read_and_check(std::string(reinterpret_cast<const char*>(bytes), size), PlaylistFormat::pls);
  return 0;
}
