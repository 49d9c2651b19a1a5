#include "catalogue/catalogue_dump.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/channel_database.h"
#include "catalogue/code_page.h"
#include "catalogue/lookups.h"

#include <QDate>
#include <QTime>

#include <charconv>
#include <cmath>

namespace {
class Line {
 public:
  explicit Line(std::string& out, std::string_view kind) : out_(out) { out_ += kind; }
  Line& number(int64_t value) {
    out_ += '\t';
    out_ += std::to_string(value);
    return *this;
  }
  Line& real(double value) {
    out_ += '\t';
    out_ += format_shortest(value);
    return *this;
  }
  Line& text(std::string_view utf8) {
    out_ += '\t';
    out_ += escape_dump_text(utf8);
    return *this;
  }
  Line& name(const ShortText& name) { return text(cp1252_to_utf8(name.bytes())); }
  ~Line() { out_ += '\n'; }

 private:
  std::string& out_;
};

template <typename Row>
void write_table(std::string& out, std::string_view kind, const std::vector<Row>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) Line(out, kind).number(static_cast<int64_t>(i)).number(rows[i].id).name(rows[i].name);
}

void flush(std::ostream& out, std::string& buffer) {
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  buffer.clear();
}
}  // namespace

std::string escape_dump_text(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

std::string format_shortest(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string format_serial_date_time(double serial) {
  if (serial == 0) return {};
  const double whole = std::trunc(serial);
  // Before 1899-12-30 the fraction counts away from zero, as the serial format has it.
  const double fraction = std::fabs(serial - whole);
  const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
  const int ms = static_cast<int>(std::llround(fraction * 86400000.0) % 86400000);
  const QTime time = QTime::fromMSecsSinceStartOfDay(ms);
  return date.toString(QStringLiteral("yyyy-MM-dd")).toStdString() + " " +
         time.toString(QStringLiteral("HH:mm:ss")).toStdString();
}

void write_catalogue_dump(std::ostream& out, const Catalogue& catalogue) {
  std::string buffer;
  Line(buffer, "version").text(cp1252_to_utf8(catalogue.version_stamp)).text(format_serial_date_time(catalogue.version_time));
  write_table(buffer, "country", catalogue.countries);
  write_table(buffer, "genre", catalogue.genres);
  for (size_t i = 0; i < catalogue.channels.size(); ++i) {
    const Channel& c = catalogue.channels[i];
    Line(buffer, "channel")
        .number(static_cast<int64_t>(i)).number(c.id).number(c.group_id).number(c.favorited).number(c.sent)
        .number(c.user_defined).name(c.name).text(c.url).number(c.bitrate).number(c.type_id).text(c.homepage)
        .number(c.country_id).number(c.genre_id).name(c.genre).text(c.comment).real(c.rating).number(c.rated)
        .real(c.average_rating).number(c.workfine).number(c.notworking).number(c.wrong).number(c.duplicate).number(c.spam)
        .number(c.status);
    if (buffer.size() > (1u << 16)) flush(out, buffer);
  }
  flush(out, buffer);
}

void write_dump_error(std::ostream& out, std::string_view message) {
  out << "error\t" << escape_dump_text(message) << '\n';
}

int dump_channel_file(std::ostream& out, std::string bytes) {
  Catalogue catalogue;
  reset_catalogue(catalogue);
  int code = 0;
  std::string error;
  try {
    load_channel_database_bytes(catalogue, catalogue.favorites, std::move(bytes));
  } catch (const CatalogueError& e) {
    error = e.what();
    code = 1;
  }
  write_catalogue_dump(out, catalogue);
  if (code != 0) write_dump_error(out, error);
  return code;
}
