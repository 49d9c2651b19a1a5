// Feeds arbitrary bytes to the "genres.dat" reader as the member's text, then names channels from
// the table as the loader does and compares with the lookup by id.
#include "catalogue/catalogue_error.h"
#include "catalogue/channel_members.h"
#include "catalogue/lookups.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  std::vector<Genre> genres;
  LoadAllowance allowance(size);
  try {
    load_genre_member(genres, text_source(text), allowance);
  } catch (const CatalogueError&) {
    // Refusing bad input with a message is the expected outcome; the rows read before it stay.
  }
  if (genres.size() > size / 2 + 1) __builtin_trap();
  const GenreNames names(genres);
  std::vector<Channel> channels(std::min<size_t>(genres.size(), 64) + 1);
  for (size_t i = 0; i < channels.size(); ++i) channels[i].genre_id = i < genres.size() ? genres[i].id : -12345;
  assign_genre_names(channels, names);
  for (const Channel& item : channels)
    if (item.genre.text() != genre_name_by_id(item.genre_id, genres)) __builtin_trap();
  return 0;
}
