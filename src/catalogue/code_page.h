#pragma once
#include <QString>

#include <string>
#include <string_view>
#include <vector>

// The catalogue and user files hold 8-bit text in Windows-1252. Characters it cannot represent
// become '?'. The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode
// to the C1 control with the same number, so every byte sequence survives a round trip.
QString cp1252_to_qstring(std::string_view bytes);
// The character a Windows-1252 byte stands for.
char16_t cp1252_character(unsigned char byte);
std::string qstring_to_cp1252(const QString& text);

// UTF-8 <-> Windows-1252 without passing through QString; ASCII text is copied as it is.
std::string cp1252_to_utf8(std::string_view bytes);
// The same into a buffer of cp1252_utf8_size(bytes) bytes; answers the end of what was written.
size_t cp1252_utf8_size(std::string_view bytes);
char* cp1252_to_utf8(std::string_view bytes, char* out);
std::string utf8_to_cp1252(std::string_view utf8);

// The characters of a text that Windows-1252 cannot hold (they would be written as '?'), each
// once, in the order they first occur. A surrogate without its partner counts as one of them.
std::vector<char32_t> characters_outside_cp1252(const QString& text);
