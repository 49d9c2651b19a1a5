#pragma once
#include "playlists/playlist.h"

#include <charconv>
#include <string>
#include <vector>

namespace quovi_test {
// Every field of an entry in one text, for tables of expected entries:
//   title|address|group title|radio|tvg-id|tvg-name|tvg-logo|user agent|referrer|duration
inline std::string entry_row(const Playlist& playlist, const PlaylistEntry& entry) {
  char duration[32];
  const auto end = std::to_chars(duration, duration + sizeof duration, entry.duration).ptr;
  std::string row;
  for (const TextSpan span : {entry.title, entry.address, entry.group_title})
    row.append(playlist.text(span)).append("|");
  row.append(entry.radio ? "1|" : "0|");
  for (const TextSpan span : {entry.tvg_id, entry.tvg_name, entry.tvg_logo, entry.user_agent, entry.referrer})
    row.append(playlist.text(span)).append("|");
  return row.append(duration, end);
}

// The request headers of an entry, its number and its guide shift, the other headers' lines apart
// by " / ":  address|user agent|referrer|other headers|number|guide shift
inline std::string request_row(const Playlist& playlist, const PlaylistEntry& entry) {
  std::string headers(playlist.text(entry.headers));
  for (size_t at = headers.find('\n'); at != std::string::npos; at = headers.find('\n', at)) headers.replace(at, 1, " / ");
  char shift[32];
  const auto end = std::to_chars(shift, shift + sizeof shift, entry.guide_shift).ptr;
  return std::string(playlist.text(entry.address)) + "|" + std::string(playlist.text(entry.user_agent)) + "|" +
         std::string(playlist.text(entry.referrer)) + "|" + headers + "|" +
         (entry.number != 0 ? std::to_string(entry.number) : "") + "|" + std::string(shift, end);
}

inline std::vector<std::string> request_rows(const Playlist& playlist) {
  std::vector<std::string> rows;
  for (const PlaylistEntry& entry : playlist.entries) rows.push_back(request_row(playlist, entry));
  return rows;
}

// Every field of every entry: entry_row, tvg-country, tvg-language and request_row.
inline std::vector<std::string> full_rows(const Playlist& playlist) {
  std::vector<std::string> rows;
  for (const PlaylistEntry& entry : playlist.entries)
    rows.push_back(entry_row(playlist, entry) + "|" + std::string(playlist.text(entry.tvg_country)) + "|" +
                   std::string(playlist.text(entry.tvg_language)) + "|" + request_row(playlist, entry));
  return rows;
}

inline std::vector<std::string> entry_rows(const Playlist& playlist) {
  std::vector<std::string> rows;
  for (const PlaylistEntry& entry : playlist.entries) rows.push_back(entry_row(playlist, entry));
  return rows;
}

inline std::vector<std::string> skip_reasons(const Playlist& playlist) {
  std::vector<std::string> reasons;
  for (const SkippedLine& skipped : playlist.skip_examples)
    reasons.push_back("line " + std::to_string(skipped.line) + ": " + skipped.reason);
  return reasons;
}
}  // namespace quovi_test
