#include "catalogue/records.h"

#include "catalogue/code_page.h"

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

QString ShortText::text() const { return cp1252_to_qstring(bytes_.view()); }
