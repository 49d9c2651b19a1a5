#include "playlists/m3u_reader.h"

#include "playlists/m3u_attributes.h"
#include "playlists/playlist_builder.h"
#include "playlists/playlist_lines.h"
#include "playlists/request_headers.h"

#include <charconv>
#include <utility>

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
  EntryHeaders headers;
  bool has_guide_shift = false;  // the entry's own tvg-shift
};

std::optional<uint32_t> channel_number(std::string_view text) {
  uint32_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || text.front() == '+' || number == 0 ||
      number > kMaxChannelNumber)
    return std::nullopt;
  return number;
}

std::optional<float> guide_shift(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  const std::optional<float> hours = duration_of(text);
  if (!hours || *hours > kMaxGuideShiftHours || *hours < -kMaxGuideShiftHours) return std::nullopt;
  return hours;
}

void read_extinf(size_t line, std::string_view text, PendingEntry& pending, PlaylistBuilder& builder) {
  EntryFields& fields = pending.fields;
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
    else if (equals_nocase(name, "http-user-agent") || equals_nocase(name, "user-agent"))
      pending.headers.offer(line, "User-Agent", value, false, builder);
    else if (equals_nocase(name, "http-referrer") || equals_nocase(name, "http-referer"))
      pending.headers.offer(line, "Referer", value, false, builder);
    else if (equals_nocase(name, "tvg-chno")) {
      if (const auto number = channel_number(value); number && fields.number == 0) fields.number = *number;
    } else if (equals_nocase(name, "tvg-shift")) {
      if (const auto hours = guide_shift(value); hours && !pending.has_guide_shift) {
        fields.guide_shift = *hours;
        pending.has_guide_shift = true;
      }
    }
  });
  if (title) fields.title = trim(*title);
}

void read_header(size_t line, std::string_view text, PlaylistBuilder& builder, float& shift) {
  scan_m3u_attributes(text, [&](std::string_view name, std::string_view value) {
    if (equals_nocase(name, "tvg-shift")) {
      if (const auto hours = guide_shift(value)) {
        shift = *hours;
        builder.set_guide_shift(*hours);
      }
      return;
    }
    if (!equals_nocase(name, "url-tvg") && !equals_nocase(name, "x-tvg-url")) return;
    while (!value.empty()) {
      const size_t comma = std::min(value.find(','), value.size());
      if (const std::string_view address = trim(value.substr(0, comma)); !address.empty())
        builder.add_guide(line, address);
      value.remove_prefix(std::min(comma + 1, value.size()));
    }
  });
}

void read_vlc_option(size_t line, std::string_view option, EntryHeaders& headers, PlaylistBuilder& builder) {
  static constexpr struct {
    std::string_view option;
    std::string_view header;
  } kOptions[] = {{"http-user-agent=", "User-Agent"}, {"http-referrer=", "Referer"}, {"http-referer=", "Referer"},
                  {"http-origin=", "Origin"},         {"http-cookie=", "Cookie"}};
  for (const auto& known : kOptions)
    if (starts_with_nocase(option, known.option)) {
      headers.offer(line, known.header, option.substr(known.option.size()), false, builder);
      return;
    }
  // Any other header, as the writer gives it: "http-header=Name: value".
  if (starts_with_nocase(option, "http-header=")) {
    const std::string_view header = option.substr(12);
    const size_t colon = header.find(':');
    if (colon == std::string_view::npos) {
      builder.skip(line, "a request header without a name");
      return;
    }
    headers.offer(line, trim(header.substr(0, colon)), header.substr(colon + 1), false, builder);
  }
}

void read_http_object(size_t line, std::string_view json, EntryHeaders& headers, PlaylistBuilder& builder) {
  const bool object = for_each_json_header(json, [&](std::string_view name, const std::string& value) {
    headers.offer(line, name, value, true, builder);
  });
  if (!object) builder.skip(line, "#EXTHTTP without a JSON object");
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
  float header_shift = 0;
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
      fields.address = pending.headers.take_from_address(number, line, builder);
      if (fields.group_title.empty()) fields.group_title = pending.group;
      if (!pending.has_guide_shift) fields.guide_shift = header_shift;
      pending.headers.fill(fields);
      builder.add(number, fields);
      pending = {};
      return;
    }
    if (starts_with_nocase(line, "#extinf:")) {
      drop_info_without_address();
      pending.info_line = number;
      // Headers and a group given before this #EXTINF stay with the entry.
      pending.fields = {};
      pending.has_guide_shift = false;
      read_extinf(number, line.substr(8), pending, builder);
    } else if (starts_with_nocase(line, "#extgrp:")) {
      pending.group = trim(line.substr(8));
    } else if (starts_with_nocase(line, "#extvlcopt:")) {
      read_vlc_option(number, trim(line.substr(11)), pending.headers, builder);
    } else if (starts_with_nocase(line, "#exthttp:")) {
      read_http_object(number, trim(line.substr(9)), pending.headers, builder);
    } else if (starts_with_nocase(line, "#extm3u") && (line.size() == 7 || is_blank(line[7]))) {
      read_header(number, line.substr(7), builder, header_shift);
    }
  });
  drop_info_without_address();
  return builder.finish();
}
