#include "catalogue/channel_members.h"

#include "catalogue/base64_text.h"
#include "catalogue/catalogue_error.h"
#include "catalogue/code_page.h"
#include "catalogue/date_time.h"
#include "catalogue/large_pages.h"
#include "catalogue/report_status.h"
#include "catalogue/strict_number.h"

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

// The text as UTF-8: the text itself when it is ASCII, else its conversion in scratch, which is
// reused from call to call so that no temporary is allocated.
std::string_view utf8_of(std::string_view cp1252, std::string& scratch) {
  if (all_ascii(cp1252)) return cp1252;
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
  return std::string_view(scratch.data(), static_cast<size_t>(out - scratch.data()));
}

[[noreturn]] void fail_long_line(std::string_view member, size_t line) {
  throw CatalogueError(where(member, line) + ", is longer than " + std::to_string(kLongestLine) +
                       " bytes; no valid line comes near that.");
}

// The line's number, and an error unless it holds at least `needed` fields.
size_t checked_line(const LineStream& lines, LineStream::Result result, const LineFields& line,
                    std::string_view member, size_t needed) {
  if (result == LineStream::Result::too_long) fail_long_line(member, lines.lines() + 1);
  if (line.count < needed) fail_short_line(member, lines.lines(), line.count, needed);
  return lines.lines();
}

uint64_t text_cost(std::string_view text) { return text.empty() ? 0 : text.size() + kTextBlockCost; }

// A table row also costs its share of the genre lookup built from the table and of growing the table.
constexpr uint64_t kRowCost = 96;

template <typename Row>
void load_table(std::vector<Row>& rows, std::string_view member, LineStream::Source text, LoadAllowance& allowance) {
  rows.clear();
  LineStream lines(std::move(text), kLongestLine);
  LineFields line;
  for (LineStream::Result result; (result = lines.next(line, kTableFields)) != LineStream::Result::end;) {
    const size_t number = checked_line(lines, result, line, member, kTableFields);
    allowance.charge(sizeof(Row) + kRowCost + line.text.size());
    Row& row = rows.emplace_back();
    row.id = int_field(member, number, "id", line[0]);
    row.name = ShortText::from_bytes(line[1].substr(0, kTableNameLimit));
    allowance.charge(text_cost(row.name.bytes()));
  }
}

bool twelve_digits(std::string_view text) {
  return text.size() == 12 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int digits_at(std::string_view text, size_t position, size_t length) {
  int value = 0;
  for (char c : text.substr(position, length)) value = value * 10 + (c - '0');
  return value;
}

// The fewest bytes a channel line that passes its checks can take: twelve one-digit numbers,
// fifteen separators and a line end.
constexpr uint64_t kShortestChannelLine = 28;
constexpr uint64_t kFirstGrowth = 1024;

// Grows the full channel array for the lines still to come: as many as the text ahead holds at the
// average length of the lines read so far, a little more rather than less, and never more records
// than the allowance could still pay for. Moving the records into the grown array briefly needs
// them twice over, so the move is paid for too.
void make_room(std::vector<Channel>& channels, ChannelLoad& load, uint64_t stated_bytes, const LineStream& lines) {
  load.allowance.charge(channels.size() * sizeof(Channel));
  const uint64_t lines_read = load.lines_read + lines.lines();
  const uint64_t bytes_read = load.bytes_read + lines.consumed();
  const uint64_t bytes_left = load.bytes_ahead + (stated_bytes > lines.consumed() ? stated_bytes - lines.consumed() : 0);
  uint64_t more = std::min(kFirstGrowth, bytes_left / kShortestChannelLine + 1);
  if (lines_read >= kFirstGrowth) {
    more = bytes_left / std::max<uint64_t>(bytes_read / lines_read, 1);
    more += more / 16 + 16;
  }
  more = std::max<uint64_t>(more, channels.size() / 8 + 16);
  more = std::min<uint64_t>(more, std::max<uint64_t>(load.allowance.left() / sizeof(Channel), 1));
  const size_t before = channels.capacity();
  channels.reserve(channels.size() + static_cast<size_t>(more));
  if (channels.capacity() == before) return;
  advise_large_pages(channels.data(), channels.capacity() * sizeof(Channel));
  load.records_ahead.start(load.pages, channels.data(), channels.capacity() * sizeof(Channel));
}
}  // namespace

void load_version_member(Catalogue& catalogue, std::string_view first_bytes) {
  const std::string_view stamp = first_bytes.substr(0, 12);
  bool valid = twelve_digits(stamp);
  QDate date;
  QTime time;
  if (valid) {
    date = QDate(digits_at(stamp, 0, 4), digits_at(stamp, 4, 2), digits_at(stamp, 6, 2));
    time = QTime(digits_at(stamp, 8, 2), digits_at(stamp, 10, 2));
    valid = date.year() >= 1 && date.isValid() && time.isValid();
  }
  // A stamp that is no stamp is never kept: the download request sends the stamp as it stands.
  if (!valid)
    throw CatalogueError("The version stamp " + quoted(stamp) +
                         " of the channel database is no valid date and time (twelve digits: year, month, day, "
                         "hour, minute).");
  catalogue.version_stamp = std::string(stamp);
  // The stamp is a wall-clock time: no time zone rule may move it.
  catalogue.version_time = to_serial_date(QDateTime(date, time, Qt::UTC));
}

void load_country_member(std::vector<Country>& countries, LineStream::Source text, LoadAllowance& allowance) {
  load_table(countries, "countries.dat", std::move(text), allowance);
}

void load_genre_member(std::vector<Genre>& genres, LineStream::Source text, LoadAllowance& allowance) {
  load_table(genres, "genres.dat", std::move(text), allowance);
}

GenreNames::GenreNames(const std::vector<Genre>& genres) {
  names_.reserve(genres.size());
  // The first row with an id decides, as in the lookup by id.
  for (const Genre& genre : genres)
    names_.try_emplace(genre.id, genre.name.size() <= kTableNameLimit
                                     ? genre.name
                                     : ShortText::from_bytes(genre.name.bytes().substr(0, kTableNameLimit)));
}

const ShortText& GenreNames::name(int32_t id) const {
  static const ShortText none;
  const auto it = names_.find(id);
  return it == names_.end() ? none : it->second;
}

FavoriteIds::FavoriteIds(const std::vector<int32_t>& favorites) : sorted_(favorites) {
  std::sort(sorted_.begin(), sorted_.end());
}

bool FavoriteIds::contains(int32_t id) const { return std::binary_search(sorted_.begin(), sorted_.end(), id); }

void assign_genre_names(std::vector<Channel>& channels, const GenreNames& genres) {
  for (Channel& item : channels) item.genre = genres.name(item.genre_id);
}

void load_channel_member(std::vector<Channel>& channels, const ChannelMember& kind, LineStream::Source text,
                         uint64_t stated_bytes, ChannelLoad& load) {
  LineStream lines(std::move(text), kLongestLine);
  LineFields fields;
  std::string decoded;
  std::string scratch;
  for (LineStream::Result result; (result = lines.next(fields, kChannelFields)) != LineStream::Result::end;) {
    const size_t line_number = checked_line(lines, result, fields, kind.member, kChannelFields);
    const auto number = [&](size_t field) {
      return int_field(kind.member, line_number, kChannelFieldNames[field], fields[field]);
    };
    load.allowance.charge(sizeof(Channel) + fields.text.size());
    if (channels.size() == channels.capacity()) make_room(channels, load, stated_bytes, lines);

    Channel& item = channels.emplace_back();
    load.records_ahead.reached(channels.size() * sizeof(Channel));
    item.id = number(0);
    item.group_id = kind.group_id;
    item.sent = 0;
    item.favorited = load.favorites.contains(item.id) ? 1 : 0;
    decode_base64_into(fields[1], decoded);
    item.name = ShortText::from_stored(load.texts.add(std::string_view(decoded).substr(0, kind.name_limit)));
    item.url = load.texts.add(utf8_of(fields[2], scratch));
    item.bitrate = number(3);
    item.type_id = number(4);
    item.homepage = load.texts.add(utf8_of(fields[5], scratch));
    item.country_id = number(6);
    item.genre_id = number(7);
    item.genre = load.genres.name(item.genre_id);
    decode_base64_into(fields[8], decoded);
    item.comment = load.texts.add(utf8_of(decoded, scratch));
    load.allowance.charge(text_cost(item.name.bytes()) + text_cost(item.url) + text_cost(item.homepage) +
                          text_cost(item.comment));
    const auto rating = parse_real(fields[9]);
    if (!rating) fail_number(kind.member, line_number, kChannelFieldNames[9], fields[9]);
    item.rating = *rating;
    item.rated = number(10);
    item.average_rating = item.rated >= 1 ? item.rating / item.rated : 0;
    item.workfine = number(11);
    item.notworking = number(12);
    item.wrong = number(13);
    item.duplicate = number(14);
    item.spam = number(15);
    item.user_defined = 0;
    item.status = report_status(item.workfine, item.notworking, item.wrong, item.duplicate, item.spam);
  }
  load.lines_read += lines.lines();
  load.bytes_read += lines.consumed();
}
