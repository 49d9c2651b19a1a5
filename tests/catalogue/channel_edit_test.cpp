#include "catalogue/channel_edit.h"
#include "catalogue/code_page.h"

#include <gtest/gtest.h>

namespace {
ChannelFields valid_fields() {
  ChannelFields f;
  f.category_index = 2;
  f.name = QStringLiteral("Caf\u00e9 \u20ac Radio");  // both are in Windows-1252
  f.url = QStringLiteral("http://radio.example/live");
  f.bitrate = QStringLiteral("128");
  f.type_index = 1;
  f.homepage = QStringLiteral("http://radio.example/");
  f.country_index = 1;
  f.genre_index = 1;
  f.comment = QStringLiteral("\u201cquoted\u201d \u2013 fine");
  return f;
}
}  // namespace

// Text the user channel file could not keep is refused with a message that says which field and,
// for characters the code page lacks, which characters; what it can keep passes.
TEST(ChannelEdit, TextsTheUserFileCannotKeepAreRefusedByName) {
  struct Case {
    const char* what;
    QString ChannelFields::*field;
    QString text;
    const char* message;  // empty: accepted
  };
  const Case cases[] = {
      {"every Windows-1252 letter", &ChannelFields::name, QStringLiteral("\u00c6\u00d8\u00c5 \u0160\u017d\u0152 \u00ff"), ""},
      {"one letter outside", &ChannelFields::name, QStringLiteral("\u0141\u00f3d\u017a \u0141"),
       "The characters \"\u0141\" and \"\u017a\" cannot be used in the Name field: your channels are stored with "
       "Western European characters only (Windows-1252). Please remove them."},
      {"one character", &ChannelFields::comment, QStringLiteral("\u2192 here"),
       "The character \"\u2192\" cannot be used in the Comment field: your channels are stored with Western "
       "European characters only (Windows-1252). Please remove it."},
      {"outside the basic plane", &ChannelFields::name, QStringLiteral("Fun \U0001F600"), "\"\U0001F600\" cannot be used in the Name field"},
      {"invisible ones by code", &ChannelFields::homepage, QStringLiteral("http://a\u200bb.example/\u0301"),
       "The characters U+200B and U+0301 cannot be used in the Homepage field"},
      {"a lone surrogate", &ChannelFields::url, QString(QChar(0xD800)) + QStringLiteral("x"), "U+D800 cannot be used in the URL field"},
      {"many are counted", &ChannelFields::name, QStringLiteral("\u0410\u0411\u0412\u0413\u0414\u0415\u0416\u0417\u0418\u0419"),
       "\"\u0416\", \"\u0417\" and 2 others cannot be used"},
      {"NUL in the name", &ChannelFields::name, QString::fromUtf16(u"Jazz\0One", 8),
       "The NUL character cannot be used in the Name field. Please remove it."},
      {"NUL in the address", &ChannelFields::url, QString::fromUtf16(u"http://x/\0", 10) + QStringLiteral("a"),
       "The NUL character cannot be used in the URL field"},
      {"NUL in the comment", &ChannelFields::comment, QString::fromUtf16(u"a\0b", 3), "NUL character cannot be used in the Comment field"},
      {"NUL at the ends is trimmed", &ChannelFields::comment, QString::fromUtf16(u"\0ok\0", 4), ""},
      {"\"|\" is told first", &ChannelFields::name, QStringLiteral("\u0141|"), "The character \"|\" cannot be used in the Name field"},
  };
  for (const Case& c : cases) {
    ChannelFields f = valid_fields();
    f.*c.field = c.text;
    const std::optional<QString> message = validate_channel_fields(f);
    if (*c.message == '\0') {
      EXPECT_FALSE(message) << c.what << ": " << message.value_or(QString()).toStdString();
      continue;
    }
    ASSERT_TRUE(message) << c.what;
    EXPECT_TRUE(message->contains(QString::fromUtf8(c.message))) << c.what << ": " << message->toStdString();
  }
}

// What passes comes back from the code page as typed.
TEST(ChannelEdit, WhatPassesSurvivesTheCodePage) {
  const ChannelFields f = valid_fields();
  ASSERT_FALSE(validate_channel_fields(f));
  for (const QString& text : {f.name, f.comment, f.homepage, f.url})
    EXPECT_EQ(cp1252_to_qstring(qstring_to_cp1252(text)), text) << text.toStdString();
  EXPECT_TRUE(characters_outside_cp1252(f.name).empty());
  EXPECT_EQ(characters_outside_cp1252(QStringLiteral("\u0141a\u0141\U0001F600")), (std::vector<char32_t>{0x141, 0x1F600}));
}
