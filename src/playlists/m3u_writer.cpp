#include "playlists/m3u_writer.h"

#include "playlists/playlist_lines.h"
#include "playlists/request_headers.h"

#include <algorithm>
#include <charconv>

namespace {
constexpr std::string_view kLineEnd = "\r\n";

void append_text(std::string& out, std::string_view text) {
  for (const char c : text) out += c == '\r' || c == '\n' ? ' ' : c;
}

void append_attribute(std::string& out, std::string_view name, std::string_view value) {
  if (value.empty()) return;
  out += ' ';
  out += name;
  out += "=\"";
  for (const char c : value) out += c == '"' ? '\'' : c == '\r' || c == '\n' ? ' ' : c;
  out += '"';
}

void append_number(std::string& out, float number) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  out.append(digits, end);
}

void append_number_attribute(std::string& out, std::string_view name, float number) {
  std::string digits;
  append_number(digits, number);
  append_attribute(out, name, digits);
}

void append_option(std::string& out, std::string_view option, std::string_view value) {
  if (value.empty()) return;
  out += "#EXTVLCOPT:";
  out += option;
  append_text(out, value);
  out += kLineEnd;
}
}  // namespace

std::string write_extended_m3u(const Playlist& playlist) {
  const auto too_much = [] {
    return PlaylistError("The playlist would be larger than a playlist may be (" + std::to_string(kMaxPlaylistBytes >> 20) +
                         " MB, " + std::to_string(kMaxPlaylistEntries) +
                         " entries), and could not be read back; export fewer channels.");
  };
  if (playlist.entries.size() > kMaxPlaylistEntries) throw too_much();
  std::string out;
  out.reserve(playlist.texts.size() + playlist.entries.size() * 64 + 64);
  out += "#EXTM3U";
  if (!playlist.guide_addresses.empty()) {
    std::string guides;
    for (const std::string& address : playlist.guide_addresses) {
      if (!guides.empty()) guides += ',';
      guides += address;
    }
    append_attribute(out, "url-tvg", guides);
  }
  if (playlist.guide_shift != 0) append_number_attribute(out, "tvg-shift", playlist.guide_shift);
  out += kLineEnd;
  for (const PlaylistEntry& entry : playlist.entries) {
    out += "#EXTINF:";
    append_number(out, entry.duration);
    append_attribute(out, "tvg-id", playlist.text(entry.tvg_id));
    append_attribute(out, "tvg-name", playlist.text(entry.tvg_name));
    append_attribute(out, "tvg-logo", playlist.text(entry.tvg_logo));
    append_attribute(out, "tvg-country", playlist.text(entry.tvg_country));
    append_attribute(out, "tvg-language", playlist.text(entry.tvg_language));
    if (entry.number != 0) append_attribute(out, "tvg-chno", std::to_string(entry.number));
    if (entry.guide_shift != playlist.guide_shift) append_number_attribute(out, "tvg-shift", entry.guide_shift);
    append_attribute(out, "group-title", playlist.text(entry.group_title));
    if (entry.radio) append_attribute(out, "radio", "true");
    out += ',';
    append_text(out, playlist.text(entry.title));
    out += kLineEnd;
    append_option(out, "http-user-agent=", playlist.text(entry.user_agent));
    append_option(out, "http-referrer=", playlist.text(entry.referrer));
    for_each_header_line(playlist.text(entry.headers), [&out](std::string_view name, std::string_view value) {
      if (playlist_lines::equals_nocase(name, "origin"))
        append_option(out, "http-origin=", value);
      else if (playlist_lines::equals_nocase(name, "cookie"))
        append_option(out, "http-cookie=", value);
      else
        append_option(out, "http-header=", std::string(name) + ": " + std::string(value));
    });
    append_text(out, playlist.text(entry.address));
    out += kLineEnd;
    if (out.size() > kMaxPlaylistBytes) throw too_much();
  }
  return out;
}
