#pragma once
#include "playlists/playlist_lines.h"

#include <algorithm>
#include <optional>
#include <string_view>

// The attribute lists of #EXTM3U and #EXTINF lines: name=value pairs apart by blanks, the value bare
// (up to a blank or a comma) or in double or single quotes, where commas and blanks are part of it.
// The first comma outside quotes ends the list; an #EXTINF line's title follows it. A quote that is
// never closed ends at the next comma, so a title still follows. Words without "=" are passed over.
//
// Calls attribute(name, value) for each pair, the value without blanks around it, and answers the
// text after the comma that ends the list, or nothing when no comma does.
template <typename Attribute>
std::optional<std::string_view> scan_m3u_attributes(std::string_view text, Attribute&& attribute) {
  using playlist_lines::is_blank;
  const size_t n = text.size();
  size_t i = 0;
  for (;;) {
    while (i < n && is_blank(text[i])) ++i;
    if (i == n) return std::nullopt;
    if (text[i] == ',') return text.substr(i + 1);
    const size_t name_start = i;
    while (i < n && text[i] != '=' && text[i] != ',' && !is_blank(text[i])) ++i;
    const std::string_view name = text.substr(name_start, i - name_start);
    if (i == n || text[i] != '=') continue;
    ++i;
    std::string_view value;
    if (i < n && (text[i] == '"' || text[i] == '\'')) {
      const char quote = text[i++];
      size_t close = text.find(quote, i);
      const bool closed = close != std::string_view::npos;
      if (!closed) close = std::min(text.find(',', i), n);
      value = text.substr(i, close - i);
      i = closed ? close + 1 : close;
    } else {
      const size_t value_start = i;
      while (i < n && text[i] != ',' && !is_blank(text[i])) ++i;
      value = text.substr(value_start, i - value_start);
    }
    attribute(name, playlist_lines::trim(value));
  }
}
