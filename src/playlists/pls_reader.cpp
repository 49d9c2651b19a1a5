#include "playlists/pls_reader.h"

#include "playlists/playlist_builder.h"
#include "playlists/playlist_lines.h"
#include "playlists/request_headers.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace playlist_lines;

namespace {
enum class Key : uint8_t { file, title, length };

constexpr std::string_view kKeyNames[] = {"file", "title", "length"};
constexpr std::string_view kKeyCaptions[] = {"File", "Title", "Length"};

// A File, a Title and a Length for each of the most entries a playlist may hold.
constexpr size_t kMostValues = 3 * kMaxPlaylistEntries;

// One FileN, TitleN or LengthN line.
struct NumberedValue {
  uint32_t number = 0;
  Key key = Key::file;
  size_t line = 0;
  std::string_view value;
};

std::optional<uint32_t> entry_number(std::string_view digits) {
  constexpr size_t kMostDigits = 9;
  if (digits.empty() || digits.size() > kMostDigits) return std::nullopt;
  uint32_t number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return number;
}

std::string key_caption(Key key, uint32_t number) {
  return std::string(kKeyCaptions[static_cast<int>(key)]) + std::to_string(number);
}

// Makes the entries of the lines of one number, [first, last) of the sorted values.
void add_entry(const NumberedValue* first, const NumberedValue* last, PlaylistBuilder& builder) {
  const NumberedValue* file = nullptr;
  const NumberedValue* title = nullptr;
  const NumberedValue* length = nullptr;
  for (const NumberedValue* v = first; v != last; ++v) {
    const NumberedValue*& slot = v->key == Key::file ? file : v->key == Key::title ? title : length;
    if (slot == nullptr)
      slot = v;
    else
      builder.skip(v->line, key_caption(v->key, v->number) + " given twice");
  }
  if (file == nullptr) {
    for (const NumberedValue* v : {title, length})
      if (v != nullptr)
        builder.skip(v->line, key_caption(v->key, v->number) + " without " + key_caption(Key::file, v->number));
    return;
  }
  EntryFields fields;
  // Lists for media-center players give headers behind the address here too.
  EntryHeaders headers;
  fields.address = headers.take_from_address(file->line, file->value, builder);
  headers.fill(fields);
  if (title != nullptr) fields.title = title->value;
  if (length != nullptr) fields.duration = duration_of(length->value).value_or(-1);
  builder.add(file->line, fields);
}
}  // namespace

Playlist read_pls(std::string utf8) {
  PlaylistBuilder builder(std::move(utf8));
  std::vector<NumberedValue> values;
  for_each_line(builder.text(), [&](size_t number, std::string_view raw) {
    if (raw.size() > kMaxPlaylistLineBytes) {
      builder.skip(number, too_long_reason());
      return;
    }
    const std::string_view line = trim(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#' || line.front() == '[') return;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      builder.skip(number, "not a key=value line");
      return;
    }
    const std::string_view key = trim(line.substr(0, equals));
    for (int k = 0; k < 3; ++k) {
      if (!starts_with_nocase(key, kKeyNames[k])) continue;
      const std::optional<uint32_t> entry = entry_number(key.substr(kKeyNames[k].size()));
      if (!entry)
        builder.skip(number, std::string(kKeyCaptions[k]) + " without an entry number");
      else if (values.size() == kMostValues)
        builder.skip(number, "more than " + std::to_string(kMaxPlaylistEntries) + " entries");
      else
        values.push_back({*entry, static_cast<Key>(k), number, trim(line.substr(equals + 1))});
      return;
    }
  });

  std::stable_sort(values.begin(), values.end(), [](const NumberedValue& a, const NumberedValue& b) {
    return a.number != b.number ? a.number < b.number : a.key < b.key;
  });
  for (size_t first = 0; first < values.size();) {
    size_t last = first + 1;
    while (last < values.size() && values[last].number == values[first].number) ++last;
    add_entry(values.data() + first, values.data() + last, builder);
    first = last;
  }
  return builder.finish();
}
