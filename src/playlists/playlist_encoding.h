#pragma once
#include <string>

// The text of a playlist file as UTF-8. A UTF-8 byte-order mark goes; UTF-16 behind its byte-order
// mark is converted; bytes that are valid UTF-8 stay as they are, and any others are read as
// Windows-1252, the code page of the older lists that are not UTF-8.
std::string playlist_utf8(std::string bytes);
