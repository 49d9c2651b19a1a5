#include "playlists/m3u_reader.h"

#include "playlists/m3u_attributes.h"
#include "playlists/playlist_builder.h"
#include "playlists/playlist_lines.h"

using namespace playlist_lines;

namespace {
// The duration that starts an #EXTINF's text, when it starts with one; text moves past it.
float take_duration(std::string_view& text) {
  text = trim(text);
  size_t end = 0;
  while (end < text.size() && text[end] != ',' && !is_blank(text[end])) ++end;
  const std::optional<float> seconds = duration_of(text.substr(0, end));
  if (!seconds) return -1;
  text.remove_prefix(end);
  return *seconds;
}

void set_first(std::string_view& field, std::string_view value) {
  if (field.empty()) field = value;
}

// What the lines before an address said about its entry.
struct PendingEntry {
  size_t info_line = 0;  // of its #EXTINF; 0 when none came
  EntryFields fields;
  std::string_view group;  // of #EXTGRP
};

void read_extinf(std::string_view text, EntryFields& fields) {
  fields.duration = take_duration(text);
  const auto title = scan_m3u_attributes(text, [&](std::string_view name, std::string_view value) {
    if (equals_nocase(name, "tvg-id"))
      set_first(fields.tvg_id, value);
    else if (equals_nocase(name, "tvg-name"))
      set_first(fields.tvg_name, value);
    else if (equals_nocase(name, "tvg-logo"))
      set_first(fields.tvg_logo, value);
    else if (equals_nocase(name, "tvg-country"))
      set_first(fields.tvg_country, value);
    else if (equals_nocase(name, "tvg-language"))
      set_first(fields.tvg_language, value);
    else if (equals_nocase(name, "group-title"))
      set_first(fields.group_title, value);
    else if (equals_nocase(name, "radio"))
      fields.radio = equals_nocase(value, "true") || value == "1";
  });
  if (title) fields.title = trim(*title);
}

void read_header(size_t line, std::string_view text, PlaylistBuilder& builder) {
  scan_m3u_attributes(text, [&](std::string_view name, std::string_view value) {
    if (!equals_nocase(name, "url-tvg") && !equals_nocase(name, "x-tvg-url")) return;
    while (!value.empty()) {
      const size_t comma = std::min(value.find(','), value.size());
      if (const std::string_view address = trim(value.substr(0, comma)); !address.empty())
        builder.add_guide(line, address);
      value.remove_prefix(std::min(comma + 1, value.size()));
    }
  });
}

void read_vlc_option(size_t line, std::string_view option, EntryFields& fields, PlaylistBuilder& builder) {
  const auto take = [&](std::string_view& field, size_t prefix) {
    const std::string_view value = trim(option.substr(prefix));
    // The player would refuse to load the stream with it; the stream plays without.
    if (has_control_character(value))
      builder.skip(line, "a control character in " + std::string(option.substr(0, prefix - 1)));
    else
      field = value;
  };
  if (starts_with_nocase(option, "http-user-agent="))
    take(fields.user_agent, 16);
  else if (starts_with_nocase(option, "http-referrer="))
    take(fields.referrer, 14);
  else if (starts_with_nocase(option, "http-referer="))
    take(fields.referrer, 13);
}
}  // namespace

Playlist read_m3u(std::string utf8) {
  PlaylistBuilder builder(std::move(utf8));
  size_t addresses = 0;
  for_each_line(builder.text(), [&](size_t, std::string_view line) {
    line = trim(line);
    addresses += !line.empty() && line.front() != '#';
  });
  builder.expect_entries(addresses);

  PendingEntry pending;
  const auto drop_info_without_address = [&] {
    if (pending.info_line != 0) builder.skip(pending.info_line, "#EXTINF without an address");
  };

  for_each_line(builder.text(), [&](size_t number, std::string_view raw) {
    if (raw.size() > kMaxPlaylistLineBytes) {
      // Whatever the line was, the entry it belonged to cannot be whole.
      builder.skip(number, too_long_reason());
      pending = {};
      return;
    }
    const std::string_view line = trim(raw);
    if (line.empty()) return;
    if (line.front() != '#') {
      EntryFields& fields = pending.fields;
      fields.address = line;
      if (fields.group_title.empty()) fields.group_title = pending.group;
      builder.add(number, fields);
      pending = {};
      return;
    }
    if (starts_with_nocase(line, "#extinf:")) {
      drop_info_without_address();
      pending.info_line = number;
      // Options and a group given before this #EXTINF stay with the entry.
      EntryFields fields;
      fields.user_agent = pending.fields.user_agent;
      fields.referrer = pending.fields.referrer;
      read_extinf(line.substr(8), fields);
      pending.fields = fields;
    } else if (starts_with_nocase(line, "#extgrp:")) {
      pending.group = trim(line.substr(8));
    } else if (starts_with_nocase(line, "#extvlcopt:")) {
      read_vlc_option(number, trim(line.substr(11)), pending.fields, builder);
    } else if (starts_with_nocase(line, "#extm3u") && (line.size() == 7 || is_blank(line[7]))) {
      read_header(number, line.substr(7), builder);
    }
  });
  drop_info_without_address();
  return builder.finish();
}
