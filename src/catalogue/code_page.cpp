#include "catalogue/code_page.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_set>

namespace {
// Code points of bytes 0x80..0x9F; the rest of the page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t decode_byte(unsigned char b) {
  if (b >= 0x80 && b < 0xA0) return kHighControls[b - 0x80];
  return b;
}

std::optional<char> encoded(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  const auto it = std::find(kHighControls.begin(), kHighControls.end(), c);
  if (it != kHighControls.end()) return static_cast<char>(0x80 + (it - kHighControls.begin()));
  return std::nullopt;
}

char encode_unit(char32_t c) { return encoded(c).value_or('?'); }

bool is_ascii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

char16_t cp1252_character(unsigned char byte) { return decode_byte(byte); }

QString cp1252_to_qstring(std::string_view bytes) {
  QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* dst = out.data();
  for (unsigned char b : bytes) *dst++ = QChar(decode_byte(b));
  return out;
}

std::string qstring_to_cp1252(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text.at(i);
    // A surrogate pair is one character and becomes one '?'.
    if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      out += '?';
      ++i;
      continue;
    }
    out += encode_unit(ch.unicode());
  }
  return out;
}

size_t cp1252_utf8_size(std::string_view bytes) {
  size_t size = 0;
  for (const unsigned char b : bytes) {
    const char16_t c = decode_byte(b);
    size += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
  }
  return size;
}

char* cp1252_to_utf8(std::string_view bytes, char* out) {
  for (const unsigned char b : bytes) {
    const char16_t c = decode_byte(b);
    if (c < 0x80) {
      *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
      *out++ = static_cast<char>(0xC0 | (c >> 6));
      *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      *out++ = static_cast<char>(0xE0 | (c >> 12));
      *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string cp1252_to_utf8(std::string_view bytes) {
  if (is_ascii(bytes)) return std::string(bytes);
  // Sized exactly: grown step by step, a large text's string doubled past what it needed.
  std::string out(cp1252_utf8_size(bytes), '\0');
  cp1252_to_utf8(bytes, out.data());
  return out;
}

std::string utf8_to_cp1252(std::string_view utf8) {
  if (is_ascii(utf8)) return std::string(utf8);
  return qstring_to_cp1252(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

std::vector<char32_t> characters_outside_cp1252(const QString& text) {
  std::vector<char32_t> found;
  std::unordered_set<char32_t> seen;
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text.at(i).unicode();
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
      ++i;
    }
    if (!encoded(c) && seen.insert(c).second) found.push_back(c);
  }
  return found;
}
