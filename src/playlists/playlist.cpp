#include "playlists/playlist.h"

#include <limits>

TextSpan Playlist::add_text(std::string_view text) {
  if (text.empty()) return {};
  constexpr size_t kMostTexts = std::numeric_limits<uint32_t>::max();
  if (text.size() > kMostTexts - texts.size()) throw PlaylistError("The playlist holds too much text.");
  const TextSpan span{static_cast<uint32_t>(texts.size()), static_cast<uint32_t>(text.size())};
  texts.append(text);
  return span;
}
