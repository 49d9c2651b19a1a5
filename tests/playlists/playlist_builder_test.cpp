// The table of a playlist's addresses against addresses made to collide.
#include "playlists/playlist_builder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

// Addresses chosen so that an unkeyed hash puts them all in one slot of the table: with a fixed
// hash, each lookup walked every address before it (a list of a million took minutes to read).
// The table's keyed hash spreads them as it spreads any others.
TEST(PlaylistBuilder, AddressesMadeToShareASlotAreSpreadAllTheSame) {
  constexpr size_t kAddresses = 1000;
  constexpr size_t kSlotMask = 2048 - 1;  // the table for kAddresses: a power of two, at most half full
  std::string text;
  size_t found = 0;
  for (size_t n = 0; found < kAddresses; ++n) {
    const std::string address = "http://s/" + std::to_string(n);
    if ((std::hash<std::string_view>{}(address) & kSlotMask) != 0) continue;
    text += address + "\n";
    ++found;
  }
  PlaylistBuilder builder(text);
  builder.expect_entries(kAddresses);
  size_t line = 0, start = 0;
  const std::string_view all = builder.text();
  for (size_t end = all.find('\n'); end != std::string_view::npos; start = end + 1, end = all.find('\n', start)) {
    EntryFields fields;
    fields.address = all.substr(start, end - start);
    builder.add(++line, fields);
  }
  // Linear probing at half load: a run of a few dozen at the very most, where the crafted keys
  // under the fixed hash made one of a thousand.
  EXPECT_LT(builder.longest_probe(), 64u);
  const Playlist playlist = builder.finish();
  EXPECT_EQ(playlist.entries.size(), kAddresses);
  EXPECT_EQ(playlist.skipped, 0u);
}
