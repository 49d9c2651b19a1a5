#include "playlists/m3u_writer.h"

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

void append_duration(std::string& out, float seconds) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, seconds).ptr;
  out.append(digits, end);
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
  out += kLineEnd;
  for (const PlaylistEntry& entry : playlist.entries) {
    out += "#EXTINF:";
    append_duration(out, entry.duration);
    append_attribute(out, "tvg-id", playlist.text(entry.tvg_id));
    append_attribute(out, "tvg-name", playlist.text(entry.tvg_name));
    append_attribute(out, "tvg-logo", playlist.text(entry.tvg_logo));
    append_attribute(out, "tvg-country", playlist.text(entry.tvg_country));
    append_attribute(out, "tvg-language", playlist.text(entry.tvg_language));
    append_attribute(out, "group-title", playlist.text(entry.group_title));
    if (entry.radio) append_attribute(out, "radio", "true");
    out += ',';
    append_text(out, playlist.text(entry.title));
    out += kLineEnd;
    append_option(out, "http-user-agent=", playlist.text(entry.user_agent));
    append_option(out, "http-referrer=", playlist.text(entry.referrer));
    append_text(out, playlist.text(entry.address));
    out += kLineEnd;
    if (out.size() > kMaxPlaylistBytes) throw too_much();
  }
  return out;
}
