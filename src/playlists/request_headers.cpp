#include "playlists/request_headers.h"

#include "playlists/playlist_lines.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonDocument>
#include <QJsonObject>

#include <utility>

using namespace playlist_lines;

namespace {
bool is_token_char(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

// The length of the header's name and "=" at the start of the text, or 0 when it holds none.
size_t name_and_equals(std::string_view text) {
  size_t i = 0;
  // Neither "&" nor "|" may start or be part of a name here: they part the headers and the address.
  while (i < text.size() && is_token_char(text[i]) && text[i] != '&' && text[i] != '|') ++i;
  return i > 0 && i < text.size() && text[i] == '=' ? i + 1 : 0;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = ascii_lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The text with its %XX escapes decoded, or as it is when they would not make UTF-8 text.
std::string percent_decoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex_digit(text[i + 1]) >= 0 && hex_digit(text[i + 2]) >= 0) {
      out += static_cast<char>(hex_digit(text[i + 1]) * 16 + hex_digit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  if (out.size() != text.size() && !QByteArrayView(out.data(), static_cast<qsizetype>(out.size())).isValidUtf8())
    return std::string(text);
  return out;
}

// Headers the player writes itself, which a list must not write for it.
bool is_players_own_header(std::string_view name) {
  for (const std::string_view own : {"host", "content-length", "transfer-encoding", "connection"})
    if (equals_nocase(name, own)) return true;
  return false;
}
}  // namespace

bool is_header_name(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name)
    if (!is_token_char(c)) return false;
  return true;
}

std::optional<size_t> address_headers_at(std::string_view line) {
  for (size_t bar = line.find('|'); bar != std::string_view::npos; bar = line.find('|', bar + 1))
    if (name_and_equals(line.substr(bar + 1)) != 0) return bar;
  return std::nullopt;
}

void for_each_address_header(std::string_view text,
                             const std::function<void(std::string_view name, const std::string& value)>& header) {
  while (!text.empty()) {
    const size_t name_end = name_and_equals(text);
    if (name_end == 0) return;  // only where the text started without a name: never after an "&" found below
    size_t end = name_end;
    for (;; ++end) {
      end = std::min(text.find('&', end), text.size());
      if (end == text.size() || name_and_equals(text.substr(end + 1)) != 0) break;
    }
    header(trim(text.substr(0, name_end - 1)), percent_decoded(trim(text.substr(name_end, end - name_end))));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
}

bool for_each_json_header(std::string_view json,
                          const std::function<void(std::string_view name, const std::string& value)>& header) {
  const QJsonDocument document =
      QJsonDocument::fromJson(QByteArray::fromRawData(json.data(), static_cast<qsizetype>(json.size())));
  if (!document.isObject()) return false;
  const QJsonObject object = document.object();
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (!it.value().isString()) continue;
    const QByteArray name = it.key().toUtf8();
    header(std::string_view(name.constData(), static_cast<size_t>(name.size())), it.value().toString().toStdString());
  }
  return true;
}

void for_each_header_line(std::string_view headers,
                          const std::function<void(std::string_view name, std::string_view value)>& header) {
  while (!headers.empty()) {
    const size_t end = std::min(headers.find('\n'), headers.size());
    const std::string_view line = headers.substr(0, end);
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos) header(line.substr(0, colon), trim(line.substr(colon + 1)));
    headers.remove_prefix(std::min(end + 1, headers.size()));
  }
}

bool has_header(std::string_view headers, std::string_view name) {
  bool found = false;
  for_each_header_line(headers, [&](std::string_view have, std::string_view) {
    if (have.size() == name.size()) {
      size_t i = 0;
      while (i < name.size() && ascii_lower(have[i]) == ascii_lower(name[i])) ++i;
      found = found || i == name.size();
    }
  });
  return found;
}

void EntryHeaders::offer(size_t line, std::string_view name, std::string_view value, bool owned,
                         PlaylistBuilder& builder) {
  value = trim(value);
  if (value.empty()) return;
  // The names every list spells its own way are written as the protocol does.
  static constexpr std::pair<std::string_view, std::string_view> kKnown[] = {
      {"user-agent", "User-Agent"}, {"referer", "Referer"}, {"referrer", "Referer"},
      {"origin", "Origin"},         {"cookie", "Cookie"}};
  for (const auto& [spelling, known] : kKnown)
    if (equals_nocase(name, spelling)) name = known;
  if (!is_header_name(name)) {
    builder.skip(line, "a request header without a name");
    return;
  }
  // The player would refuse to load the stream with it (and a line end could add headers of its
  // own); the stream plays without.
  if (has_control_character(value)) {
    builder.skip(line, "a control character in the " + std::string(name) + " header");
    return;
  }
  const auto take = [&](std::string_view& field, std::string& own) {
    if (!field.empty()) return;
    if (owned) {
      own.assign(value);
      field = own;
    } else {
      field = value;
    }
  };
  if (name == "User-Agent") {
    take(user_agent_, own_user_agent_);
  } else if (name == "Referer") {
    take(referrer_, own_referrer_);
  } else if (is_players_own_header(name)) {
    builder.skip(line, "the " + std::string(name) + " header, which the player writes itself");
  } else if (!has_header(others_, name)) {
    if (count_ == kMaxRequestHeaders) {
      builder.skip(line, "more than " + std::to_string(kMaxRequestHeaders) + " request headers");
      return;
    }
    ++count_;
    if (!others_.empty()) others_ += '\n';
    others_ += name;
    others_ += ": ";
    others_ += value;
  }
}

std::string_view EntryHeaders::take_from_address(size_t line, std::string_view address, PlaylistBuilder& builder) {
  const std::optional<size_t> bar = address_headers_at(address);
  if (!bar) return address;
  for_each_address_header(address.substr(*bar + 1), [&](std::string_view name, const std::string& value) {
    offer(line, name, value, true, builder);
  });
  return trim(address.substr(0, *bar));
}

void EntryHeaders::fill(EntryFields& fields) const {
  fields.user_agent = user_agent_;
  fields.referrer = referrer_;
  fields.headers = others_;
}
