#include "catalogue/shown_text.h"

#include <algorithm>

namespace {
bool is_hidden(QChar::Category category) {
  switch (category) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
      return true;
    default:
      return false;
  }
}

// The code point starting at text[i], and its length in bytes; 0 for a malformed sequence.
char32_t decode_utf8(std::string_view text, size_t i, size_t& length) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t need = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    code = lead & 0x07;
  } else {
    length = 0;
    return 0;
  }
  if (text.size() - i <= need) {
    length = 0;
    return 0;
  }
  for (size_t k = 1; k <= need; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      length = 0;
      return 0;
    }
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (code < kLeast[need] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    length = 0;
    return 0;
  }
  length = need + 1;
  return code;
}
}  // namespace

QString clean_shown_text(const QString& raw, qsizetype max_length) {
  QString out;
  out.reserve(std::min(raw.size(), max_length == kUnboundedShownText ? raw.size() : max_length + 1));
  bool pending_space = false;
  for (qsizetype i = 0; i < raw.size() && out.size() <= max_length; ++i) {
    const QChar c = raw[i];
    if (c.isHighSurrogate() && i + 1 < raw.size() && raw[i + 1].isLowSurrogate()) {
      const char32_t code = QChar::surrogateToUcs4(c, raw[i + 1]);
      ++i;
      if (is_hidden(QChar::category(code))) continue;  // tag characters are formatting too
      if (pending_space && !out.isEmpty()) out += QLatin1Char(' ');
      pending_space = false;
      out += c;
      out += raw[i];
      continue;
    }
    if (c.isSurrogate()) continue;  // half of a pair: not a character
    if (c.isSpace()) {
      // Line breaks and tabs become a single space, like any other run of blanks.
      pending_space = true;
      continue;
    }
    if (is_hidden(c.category())) continue;
    if (pending_space && !out.isEmpty()) out += QLatin1Char(' ');
    pending_space = false;
    out += c;
  }
  if (out.size() > max_length) {
    qsizetype cut = std::max<qsizetype>(max_length - 3, 0);
    if (cut > 0 && out[cut - 1].isHighSurrogate()) --cut;  // never split a character in two
    out.truncate(cut);
    out = out.trimmed() + QStringLiteral("...");
  }
  return out;
}

bool is_clean_shown_text(std::string_view utf8, qsizetype max_length) {
  qsizetype units = 0;
  bool after_space = true;  // a space first is as wrong as two in a row
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b > 0x20 && b < 0x7F) {
      after_space = false;
      ++units;
      ++i;
      continue;
    }
    if (b == ' ') {
      if (after_space) return false;
      after_space = true;
      ++units;
      ++i;
      continue;
    }
    if (b < 0x80) return false;  // a control character
    size_t length = 0;
    const char32_t code = decode_utf8(utf8, i, length);
    if (length == 0 || QChar::isSpace(code) || is_hidden(QChar::category(code))) return false;
    after_space = false;
    units += code >= 0x10000 ? 2 : 1;
    i += length;
  }
  return !(after_space && !utf8.empty()) && units <= max_length;
}
