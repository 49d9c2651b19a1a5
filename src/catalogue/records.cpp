#include "catalogue/records.h"

#include "catalogue/code_page.h"

#include <algorithm>

ShortText ShortText::from_text(const QString& text) {
  return from_bytes(qstring_to_cp1252(text.left(static_cast<qsizetype>(kMaxBytes))));
}

ShortText ShortText::from_bytes(std::string_view cp1252) {
  ShortText t;
  t.bytes_ = PackedText(cp1252.substr(0, kMaxBytes));
  return t;
}

ShortText ShortText::from_stored(PackedText cp1252) {
  ShortText t;
  t.bytes_ = cp1252.size() <= kMaxBytes ? std::move(cp1252) : PackedText(cp1252.view().substr(0, kMaxBytes));
  return t;
}

ShortText ShortText::from_utf8(std::string_view utf8) {
  std::string cp1252 = utf8_to_cp1252(utf8);
  if (cp1252.size() == utf8.size() || cp1252_to_utf8(cp1252) == utf8) return from_bytes(cp1252);
  size_t end = std::min(utf8.size(), kMaxBytes);
  // Back to the start of a character: continuation bytes are 10xxxxxx.
  if (end < utf8.size())
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
  ShortText t;
  t.bytes_ = PackedText::marked(utf8.substr(0, end));
  return t;
}

QString ShortText::text() const {
  const std::string_view v = bytes_.view();
  if (bytes_.is_marked()) return QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
  return cp1252_to_qstring(v);
}
