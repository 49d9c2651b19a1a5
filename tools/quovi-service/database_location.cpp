#include "database_location.h"

#include "feedback_query.h"

#include <libpq-fe.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <stdexcept>

namespace {
constexpr std::string_view kSchemes[] = {"postgresql://", "postgres://"};
// Far longer than any connection URI; a longer first line is no location.
constexpr size_t kLocationFileBytes = 64 * 1024;

// Where the text after the scheme begins; npos for an SQLite file.
size_t after_scheme(const std::string& location) {
  for (const std::string_view scheme : kSchemes)
    if (location.rfind(scheme, 0) == 0) return scheme.size();
  return std::string::npos;
}

// Every '%' begins an escape of two hex digits, and none stands for a NUL (libpq refuses both,
// quoting the text).
bool escapes_are_whole(std::string_view text) {
  const auto plain = percent_decode(text);
  return plain && plain->find('\0') == std::string::npos;
}

// Escapes decoded; the text as it stands when one is broken.
std::string decoded(std::string_view text) { return percent_decode(text).value_or(std::string(text)); }

// The password of the user information, [begin, end): from the first ':' after the scheme to the
// last '@'. Wider than libpq's reading when the location has an '@' further on; never narrower.
struct Span {
  size_t begin;
  size_t end;
};
std::optional<Span> user_information_password(const std::string& location, size_t start) {
  const size_t at = location.rfind('@');
  if (at == std::string::npos || at < start) return std::nullopt;
  const size_t colon = location.find(':', start);
  if (colon == std::string::npos || colon > at) return std::nullopt;
  return Span{colon + 1, at};
}

struct Parameter {
  size_t begin;      // of its key, after the '?' or '&'
  size_t separator;  // its first '=', npos when it has none
  size_t end;        // the next '&' or the end
  std::string key;   // decoded
};

// The "KEY=VALUE" parameters from `from` on, split at every '&', as libpq splits a query.
std::vector<Parameter> parameters(const std::string& location, size_t from) {
  std::vector<Parameter> out;
  while (from < location.size()) {
    const size_t end = std::min(location.find('&', from), location.size());
    const size_t equals = location.find('=', from);
    const size_t separator = equals < end ? equals : std::string::npos;
    out.push_back({from, separator, end,
                   decoded(std::string_view(location).substr(from, (separator == std::string::npos ? end : separator) - from))});
    from = end + 1;
  }
  return out;
}

// Where the value begins when the parameter after the '?' or '&' at `at` is a password; npos
// otherwise. Every '?' and '&' is looked at, not only those of the query as libpq finds it: a
// password's raw '@' may have hidden where the query begins.
size_t password_value_after(const std::string& text, size_t at) {
  const size_t equals = text.find_first_of("=&", at + 1);
  if (equals == std::string::npos || text[equals] != '=' ||
      decoded(std::string_view(text).substr(at + 1, equals - at - 1)) != "password")
    return std::string::npos;
  return equals + 1;
}

// Where libpq finds the query: the first '?' after the user information it reads (up to the first
// '@' before any '/').
size_t query_start(const std::string& location, size_t start) {
  const size_t stop = location.find_first_of("@/", start);
  const size_t host = stop != std::string::npos && location[stop] == '@' ? stop + 1 : start;
  return location.find('?', host);
}

const std::set<std::string>& libpq_keywords() {
  static const std::set<std::string> keywords = [] {
    std::set<std::string> known{"ssl"};  // "ssl=true", which libpq takes in a URI only
    if (PQconninfoOption* options = PQconndefaults()) {
      for (const PQconninfoOption* o = options; o->keyword; ++o) known.insert(o->keyword);
      PQconninfoFree(options);
    }
    return known;
  }();
  return keywords;
}
}  // namespace

bool is_postgresql_location(const std::string& location) { return after_scheme(location) != std::string::npos; }

std::string printable_location(const std::string& location) {
  const size_t start = after_scheme(location);
  if (start == std::string::npos) return location;
  std::string text = location;
  if (const auto password = user_information_password(text, start))
    text.replace(password->begin, password->end - password->begin, "***");
  for (size_t at = text.find_first_of("?&", start); at != std::string::npos; at = text.find_first_of("?&", at + 1))
    if (const size_t value = password_value_after(text, at); value != std::string::npos)
      return text.substr(0, value) + "***";
  return text;
}

std::vector<std::string> location_passwords(const std::string& location) {
  const size_t start = after_scheme(location);
  if (start == std::string::npos) return {};
  std::vector<std::string> passwords;
  const auto add = [&passwords](std::string_view raw) {
    if (raw.empty()) return;
    passwords.emplace_back(raw);
    if (std::string plain = decoded(raw); plain != raw) passwords.push_back(std::move(plain));
  };
  if (const auto password = user_information_password(location, start))
    add(std::string_view(location).substr(password->begin, password->end - password->begin));
  for (size_t at = location.find_first_of("?&", start); at != std::string::npos;
       at = location.find_first_of("?&", at + 1)) {
    const size_t value = password_value_after(location, at);
    if (value == std::string::npos) continue;
    const size_t end = std::min(location.find('&', value), location.size());
    add(std::string_view(location).substr(value, end - value));
  }
  return passwords;
}

bool carries_password(const std::string& location) { return !location_passwords(location).empty(); }

std::string without_passwords(const std::string& text, const std::string& location) {
  std::vector<std::string> passwords = location_passwords(location);
  if (passwords.empty()) return text;
  // Longest first, so that a password holding another is hidden whole; in one pass over the text,
  // so that no "***" put in is taken for a password.
  std::sort(passwords.begin(), passwords.end(),
            [](const std::string& a, const std::string& b) { return a.size() != b.size() ? a.size() > b.size() : a < b; });
  passwords.erase(std::unique(passwords.begin(), passwords.end()), passwords.end());
  std::string out;
  for (size_t at = 0; at < text.size();) {
    const auto hit = std::find_if(passwords.begin(), passwords.end(),
                                  [&](const std::string& p) { return text.compare(at, p.size(), p) == 0; });
    if (hit == passwords.end()) {
      out += text[at++];
    } else {
      out += "***";
      at += hit->size();
    }
  }
  return out;
}

std::string postgresql_location_problem(const std::string& location) {
  const size_t start = after_scheme(location);
  if (start == std::string::npos) return {};
  if (location.find('\0') != std::string::npos) return "the location holds a NUL byte";
  if (const auto password = user_information_password(location, start)) {
    const std::string_view before_host = std::string_view(location).substr(start, password->end - start);
    const std::string_view text = std::string_view(location).substr(password->begin, password->end - password->begin);
    if (before_host.find_first_of("@/") != std::string_view::npos || !escapes_are_whole(text))
      return "the user name and password must write '@', '/' and '%' as %40, %2F and %25";
  }
  const size_t query = query_start(location, start);
  if (query == std::string::npos) return {};
  const std::vector<Parameter> all = parameters(location, query + 1);
  const bool has_password = std::any_of(all.begin(), all.end(), [](const Parameter& p) { return p.key == "password"; });
  if (!has_password) return {};
  // libpq quotes a parameter it cannot take, and beside a password that may be a piece of it.
  for (const Parameter& p : all) {
    const std::string_view value =
        p.separator == std::string::npos ? std::string_view()
                                         : std::string_view(location).substr(p.separator + 1, p.end - p.separator - 1);
    if (p.separator == std::string::npos || value.find('=') != std::string_view::npos ||
        !libpq_keywords().count(p.key) || !escapes_are_whole(value) ||
        !escapes_are_whole(std::string_view(location).substr(p.begin, p.separator - p.begin)))
      return "a password in the query must write '&', '=' and '%' as %26, %3D and %25, beside parameters libpq knows";
  }
  return {};
}

std::string read_database_location(const std::string& path, std::string& warning) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the database location from " + path + ": " + std::strerror(errno));
  std::string line;
  line.resize(kLocationFileBytes + 1);
  in.read(line.data(), static_cast<std::streamsize>(line.size()));
  line.resize(static_cast<size_t>(in.gcount()));
  if (in.bad()) throw std::runtime_error("cannot read the database location from " + path);
  const size_t end = line.find_first_of("\r\n");
  if (end == std::string::npos && line.size() > kLocationFileBytes)
    throw std::runtime_error(path + ": the database location is longer than 64 KiB");
  line.resize(std::min(end, line.size()));
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
  if (line.empty()) throw std::runtime_error(path + " holds no database location on its first line");
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && (info.st_mode & S_IROTH))
    warning = path + " may be read by every user of this computer; make it readable by the service alone";
  return line;
}
