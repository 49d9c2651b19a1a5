#include "catalogue/code_page.h"
#include "catalogue/lookups.h"
#include "catalogue/records.h"

#include <gtest/gtest.h>

TEST(ShortText, KeepsAtMost255Characters) {
  const QString long_ascii(300, QChar('a'));
  EXPECT_EQ(ShortText::from_text(long_ascii).size(), 255u);
  // Characters outside the code page become '?', one byte each.
  EXPECT_EQ(ShortText::from_text(QStringLiteral("A\u4e2d\u20ac")).bytes(), std::string_view("A?\x80"));
}

TEST(CodePage, RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(qstring_to_cp1252(cp1252_to_qstring(all)), all);
  EXPECT_EQ(utf8_to_cp1252(cp1252_to_utf8(all)), all);
}
