#include "catalogue/channel_members.h"

#include "catalogue/base64_text.h"
#include "catalogue/catalogue_error.h"
#include "catalogue/code_page.h"
#include "catalogue/date_time.h"
#include "catalogue/implode_explode.h"
#include "catalogue/report_status.h"
#include "catalogue/strict_number.h"
#include "catalogue/text_lines.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <array>
#include <cstring>

namespace {
constexpr size_t kTableNameLimit = 254;
constexpr size_t kTableFields = 2;
constexpr size_t kChannelFields = 16;
constexpr const char* kChannelFieldNames[kChannelFields] = {
    "id",         "name",    "url",    "bitrate", "type_id",  "homepage",   "country_id", "genre_id",
    "comment",    "rating",  "rated",  "workfine", "notworking", "wrong", "duplicate",  "spam"};

// Quotes a piece of file text in a message: UTF-8, and short whatever the file holds.
std::string quoted(std::string_view text) {
  constexpr size_t kShown = 40;
  std::string shown = cp1252_to_utf8(text.substr(0, kShown));
  if (text.size() > kShown) shown += "...";
  return "\"" + shown + "\"";
}

std::string where(std::string_view member, size_t line) {
  return "The channel database member \"" + std::string(member) + "\", line " + std::to_string(line);
}

[[noreturn]] void fail_short_line(std::string_view member, size_t line, size_t found, size_t needed) {
  throw CatalogueError(where(member, line) + ", holds " + std::to_string(found) + " field" +
                       (found == 1 ? "" : "s") + " where " + std::to_string(needed) + " are needed.");
}

[[noreturn]] void fail_number(std::string_view member, size_t line, std::string_view field, std::string_view text) {
  throw CatalogueError(where(member, line) + ", field " + std::string(field) + ": " + quoted(text) +
                       " is no valid number.");
}

int32_t int_field(std::string_view member, size_t line, std::string_view field_name, std::string_view text) {
  const auto value = parse_int32(text);
  if (!value) fail_number(member, line, field_name, text);
  return *value;
}

bool all_ascii(std::string_view text) {
  const char* p = text.data();
  size_t n = text.size();
  uint64_t bits = 0;
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    bits |= word;
  }
  for (; n > 0; ++p, --n) bits |= static_cast<unsigned char>(*p);
  return (bits & 0x8080808080808080ull) == 0;
}

// UTF-8 of the Windows-1252 bytes 0x80..0xFF: length, then up to three bytes.
struct Utf8Table {
  std::array<std::array<char, 4>, 128> codes{};
  Utf8Table() {
    for (int b = 0x80; b <= 0xFF; ++b) {
      const std::string utf8 = cp1252_to_utf8(std::string(1, static_cast<char>(b)));
      codes[b - 0x80][0] = static_cast<char>(utf8.size());
      std::memcpy(&codes[b - 0x80][1], utf8.data(), utf8.size());
    }
  }
};

// The text as UTF-8; scratch is reused from call to call so that no temporary is allocated.
PackedText packed_utf8(std::string_view cp1252, std::string& scratch) {
  if (all_ascii(cp1252)) return PackedText(cp1252);
  static const Utf8Table table;
  scratch.resize(cp1252.size() * 3);
  char* out = scratch.data();
  for (char c : cp1252) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      *out++ = c;
    } else {
      const auto& code = table.codes[byte - 0x80];
      std::memcpy(out, &code[1], 3);
      out += code[0];
    }
  }
  return PackedText(std::string_view(scratch.data(), static_cast<size_t>(out - scratch.data())));
}

// A piece of the stamp, empty where the stamp is too short.
std::string_view piece(std::string_view text, size_t position, size_t length) {
  return position >= text.size() ? std::string_view() : text.substr(position, length);
}

template <typename Row>
void load_table(std::vector<Row>& rows, std::string_view member, std::string_view content) {
  content = text_before_nul(content);
  rows.clear();
  rows.resize(count_lines(content));
  TDynStringArray fields;
  for (size_t index = 0; index < rows.size() && next_line_fields(content, '|', fields); ++index) {
    if (fields.size() < kTableFields) fail_short_line(member, index + 1, fields.size(), kTableFields);
    rows[index].id = int_field(member, index + 1, "id", fields[0]);
    rows[index].name = TShortText::from_bytes(fields[1].substr(0, kTableNameLimit));
  }
}
}  // namespace

void load_version_member(TInfo& info, std::string_view content) {
  info.stVersion = std::string(content.substr(0, 12));
  const std::string_view stamp = info.stVersion;
  const auto year = parse_int32(piece(stamp, 0, 4));
  const auto month = parse_int32(piece(stamp, 4, 2));
  const auto day = parse_int32(piece(stamp, 6, 2));
  const auto hour = parse_int32(piece(stamp, 8, 2));
  const auto minute = parse_int32(piece(stamp, 10, 2));
  const bool numbers = year && month && day && hour && minute;
  const QDate date = numbers ? QDate(*year, *month, *day) : QDate();
  const QTime time = numbers ? QTime(*hour, *minute) : QTime();
  if (!numbers || *year < 1 || !date.isValid() || !time.isValid())
    throw CatalogueError("The version stamp " + quoted(stamp) + " of the channel database is no valid date and time.");
  // The stamp is a wall-clock time: no time zone rule may move it.
  info.dtVersion = to_serial_date(QDateTime(date, time, Qt::UTC));
}

void load_country_member(std::vector<Tcountry>& countries, std::string_view content) {
  load_table(countries, "countries.dat", content);
}

void load_genre_member(std::vector<Tgenre>& genres, std::string_view content) {
  load_table(genres, "genres.dat", content);
}

GenreNames::GenreNames(const std::vector<Tgenre>& genres) {
  names_.reserve(genres.size());
  // The first row with an id decides, as in the lookup by id.
  for (const Tgenre& genre : genres)
    names_.try_emplace(genre.id, genre.name.size() <= kTableNameLimit
                                     ? genre.name
                                     : TShortText::from_bytes(genre.name.bytes().substr(0, kTableNameLimit)));
}

const TShortText& GenreNames::name(int32_t id) const {
  static const TShortText none;
  const auto it = names_.find(id);
  return it == names_.end() ? none : it->second;
}

FavoriteIds::FavoriteIds(const std::vector<int32_t>& favorites) : sorted_(favorites) {
  std::sort(sorted_.begin(), sorted_.end());
}

bool FavoriteIds::contains(int32_t id) const { return std::binary_search(sorted_.begin(), sorted_.end(), id); }

void assign_genre_names(std::vector<TItem>& channels, const GenreNames& genres) {
  for (TItem& item : channels) item.genre = genres.name(item.genre_id);
}

void load_channel_member(std::vector<TItem>& channels, const ChannelMember& kind, std::string_view content,
                         const FavoriteIds& favorites, const GenreNames& genres) {
  load_channel_member(channels, kind, content, count_lines(content), favorites, genres);
}

void load_channel_member(std::vector<TItem>& channels, const ChannelMember& kind, std::string_view content,
                         size_t count, const FavoriteIds& favorites, const GenreNames& genres) {
  content = text_before_nul(content);
  const size_t first = channels.size();
  // Grown exactly, so a million channels cost no spare capacity.
  channels.reserve(first + count);
  channels.resize(first + count);

  TDynStringArray fields;
  fields.reserve(kChannelFields + 1);
  std::string decoded;
  std::string scratch;
  // The bound keeps every write inside the records just grown, whatever the text holds.
  for (size_t index = 0; index < count && next_line_fields(content, '|', fields); ++index) {
    const size_t line_number = index + 1;
    if (fields.size() < kChannelFields) fail_short_line(kind.member, line_number, fields.size(), kChannelFields);
    const auto number = [&](size_t field) {
      return int_field(kind.member, line_number, kChannelFieldNames[field], fields[field]);
    };

    TItem& item = channels[first + index];
    item.id = number(0);
    item.group_id = kind.group_id;
    item.sent = 0;
    item.favorited = favorites.contains(item.id) ? 1 : 0;
    decode_base64_into(fields[1], decoded);
    item.name = TShortText::from_bytes(std::string_view(decoded).substr(0, kind.name_limit));
    item.url = packed_utf8(fields[2], scratch);
    item.bitrate = number(3);
    item.type_id = number(4);
    item.homepage = packed_utf8(fields[5], scratch);
    item.country_id = number(6);
    item.genre_id = number(7);
    item.genre = genres.name(item.genre_id);
    decode_base64_into(fields[8], decoded);
    item.comment = packed_utf8(decoded, scratch);
    const auto rating = parse_real(fields[9]);
    if (!rating) fail_number(kind.member, line_number, kChannelFieldNames[9], fields[9]);
    item.rating = *rating;
    item.rated = number(10);
    item.rt = item.rated >= 1 ? item.rating / item.rated : 0;
    item.workfine = number(11);
    item.notworking = number(12);
    item.wrong = number(13);
    item.duplicate = number(14);
    item.spam = number(15);
    item.usdef = 0;
    item.status = report_status(item.workfine, item.notworking, item.wrong, item.duplicate, item.spam);
  }
}
