// Feeds arbitrary bytes to the readers of a playlist's side files: the list of playlists and a
// source's favourites. Besides crashes it stops on a broken promise: a list read must write back to
// a text that reads as the same list, and favourites must come back the same after a write.
#include "playlists/playlist.h"
#include "playlists/playlist_sources.h"
#include "playlists/source_favorites.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  try {
    const std::vector<PlaylistSource> sources = parse_sources_index(text);
    if (parse_sources_index(sources_index_text(sources)) != sources) std::abort();
  } catch (const PlaylistError& e) {
    if (std::string_view(e.what()).empty()) std::abort();
  }
  const std::vector<std::string> favorites = parse_source_favorites(text);
  if (parse_source_favorites(source_favorites_text(favorites)) != favorites) std::abort();
  return 0;
}
