// Feeds arbitrary bytes to the channel member reader: the first byte picks "tv.dat", "radio.dat" or
// "video.dat", the rest is the member's text. A user channel is present before, as at start-up.
#include "catalogue/catalogue_error.h"
#include "catalogue/channel_members.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {
constexpr ChannelMember kKinds[] = {{"tv.dat", kGroupTV, 254}, {"radio.dat", kGroupRadio, 154}, {"video.dat", kGroupVideo, 154}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const ChannelMember& kind = kKinds[bytes[0] % 3];
  const std::string_view text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
  static const std::vector<Genre> genres{{0, ShortText::from_bytes("All")}, {7, ShortText::from_bytes("News")}};
  static const GenreNames genre_names(genres);
  static const FavoriteIds favorites({5, 101, 100001});
  std::vector<Channel> channels(1);
  channels[0].id = 100001;
  channels[0].user_defined = 1;
  LoadAllowance allowance(size);
  TextArena texts;
  ChannelLoad load{favorites, genre_names, allowance, texts, nullptr, {}};
  try {
    load_channel_member(channels, kind, text_source(text), text.size(), load);
  } catch (const CatalogueError&) {
    // Refusing bad input with a message is the expected outcome.
  }
  // A record per line at most, and a line that passes is at least 27 bytes; the user channel stays first.
  if (channels.size() > 1 + text.size() / 27 + 1 || channels[0].id != 100001 || channels[0].user_defined != 1) __builtin_trap();
  for (size_t i = 1; i < channels.size(); ++i)
    if (channels[i].name.size() > kind.name_limit || channels[i].user_defined != 0) __builtin_trap();
  return 0;
}
