#pragma once
// The promises of a playlist read from any bytes, checked by the playlist fuzz targets: every entry
// has a title and an address the stream rule takes, no address comes twice, every text lies within
// the playlist's text, titles, groups and user agents are clean shown texts, no header value holds a
// control character, the other headers are "Name: value" lines of a token name, within their bound,
// numbers and guide shifts within theirs, and the playlist exported as M3U reads back as itself,
// request headers, numbers and shifts included. A playlist refused whole says why.
#include "catalogue/shown_text.h"
#include "playlists/m3u_writer.h"
#include "playlists/playlist_builder.h"
#include "playlists/playlist_reader.h"
#include "playlists/request_headers.h"
#include "services/stream_address.h"

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>

namespace fuzz_playlist {
inline void require(bool condition) {
  if (!condition) std::abort();
}

inline bool inside(const Playlist& playlist, TextSpan span) {
  return span.offset <= playlist.texts.size() && span.size <= playlist.texts.size() - span.offset;
}

// An export line the reader would refuse as too long: a title that came from tvg-name is written
// once more after the comma, so an #EXTINF line near the bound can outgrow it.
inline bool has_too_long_line(std::string_view text) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find("\r\n", start), text.size());
    if (end - start > kMaxPlaylistLineBytes) return true;
    start = end + 2;
  }
  return false;
}

inline void check(const Playlist& playlist) {
  require(playlist.skip_examples.size() <= Playlist::kSkipExamples);
  require(playlist.skip_examples.size() <= playlist.skipped);
  require(playlist.guide_addresses.size() <= kMaxGuideAddresses);
  for (const std::string& guide : playlist.guide_addresses) require(!guide.empty() && guide.size() <= kMaxGuideAddressBytes);
  std::unordered_set<std::string_view> addresses;
  for (const PlaylistEntry& entry : playlist.entries) {
    for (const TextSpan span : {entry.title, entry.address, entry.group_title, entry.tvg_id, entry.tvg_name,
                                entry.tvg_logo, entry.tvg_country, entry.tvg_language, entry.user_agent, entry.referrer,
                                entry.headers})
      require(inside(playlist, span));
    const std::string_view address = playlist.text(entry.address);
    require(!playlist.text(entry.title).empty());
    for (const TextSpan span : {entry.title, entry.group_title, entry.user_agent})
      require(is_clean_shown_text(playlist.text(span)));
    for (const TextSpan span : {entry.user_agent, entry.referrer}) require(!has_control_character(playlist.text(span)));
    size_t headers = 0;
    for (std::string_view line = playlist.text(entry.headers); !line.empty(); ++headers) {
      const size_t end = std::min(line.find('\n'), line.size());
      const std::string_view header = line.substr(0, end);
      const size_t colon = header.find(": ");
      require(colon != std::string_view::npos && is_header_name(header.substr(0, colon)));
      require(!has_control_character(header) && !header.substr(colon + 2).empty());
      line.remove_prefix(std::min(end + 1, line.size()));
    }
    require(headers <= kMaxRequestHeaders);
    require(entry.number <= kMaxChannelNumber);
    require(entry.guide_shift >= -kMaxGuideShiftHours && entry.guide_shift <= kMaxGuideShiftHours);
    require(addresses.insert(address).second);
    require(is_playable_stream_address(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size()))));
  }

  // Exported and read again: the same entries, nothing skipped, and the same text written again
  // (a double quote in an attribute, which M3U cannot hold, is written as a single quote).
  const std::string exported = write_extended_m3u(playlist);
  if (has_too_long_line(exported)) return;
  const Playlist again = read_playlist(exported, PlaylistFormat::m3u);
  require(again.skipped == 0);
  require(again.entries.size() == playlist.entries.size());
  for (size_t i = 0; i < again.entries.size(); ++i) {
    require(again.text(again.entries[i].address) == playlist.text(playlist.entries[i].address));
    require(again.text(again.entries[i].title) == playlist.text(playlist.entries[i].title));
    require(again.entries[i].radio == playlist.entries[i].radio);
    for (TextSpan PlaylistEntry::*field : {&PlaylistEntry::user_agent, &PlaylistEntry::referrer, &PlaylistEntry::headers})
      require(again.text(again.entries[i].*field) == playlist.text(playlist.entries[i].*field));
    require(again.entries[i].number == playlist.entries[i].number);
    require(again.entries[i].guide_shift == playlist.entries[i].guide_shift);
  }
  require(write_extended_m3u(again) == exported);
}
// Reads the bytes as the format given and checks the playlist; a refusal must say why.
inline void read_and_check(std::string bytes, PlaylistFormat format) {
  try {
    check(read_playlist(std::move(bytes), format));
  } catch (const PlaylistError& e) {
    require(std::string_view(e.what()).starts_with("The file is not a playlist: "));
  }
}
}  // namespace fuzz_playlist
