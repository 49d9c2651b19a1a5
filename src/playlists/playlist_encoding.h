#pragma once
#include "playlists/playlist.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The encodings of playlist files: UTF-8 with or without a byte-order mark, UTF-16 behind its
// byte-order mark, and any other bytes as UTF-8 line by line: a line that is not UTF-8 is
// Windows-1252, the code page of the older lists. Lists are pasted together from many sources, and
// one line in Windows-1252 once turned every Thai, Cyrillic or Greek name and address of its file
// into nonsense.
enum class TextEncoding : uint8_t { utf8, utf16le, utf16be, utf8_else_cp1252_by_line };

struct PlaylistEncoding {
  TextEncoding encoding = TextEncoding::utf8;
  size_t mark = 0;  // the bytes of the byte-order mark in front of the text
};
// Needs the whole file: one byte that is not UTF-8 anywhere makes it a file decided line by line.
PlaylistEncoding playlist_encoding(std::string_view bytes);

// Converts UTF-16, or lines of UTF-8 and Windows-1252, to UTF-8 piece by piece, so that a file can
// be converted as it is read: a UTF-16 unit or pair, or a line, cut by a piece's end is completed by
// the next piece. A surrogate without its partner, and a last byte without its pair, become U+FFFD.
// A line is decided whole up to kLineDecided bytes; a longer one, which the readers skip anyway,
// piece by piece of that size, so a line waiting for its end never holds more.
class Utf8Conversion {
 public:
  static constexpr size_t kLineDecided = kMaxPlaylistLineBytes + 1;

  explicit Utf8Conversion(TextEncoding encoding) : encoding_(encoding) {}
  // The most bytes convert() may write for a piece of that many bytes (a waiting line included).
  static size_t most_bytes(size_t piece) { return (piece + kLineDecided) * 3 + 8; }
  // Writes the UTF-8 of the piece at `out`; answers the end of what it wrote.
  char* convert(std::string_view piece, char* out);
  // Writes what an unfinished unit or pair left; answers the end.
  char* finish(char* out);
  // The size convert() and finish() together would write for the whole text.
  static size_t size_of(TextEncoding encoding, std::string_view text);

 private:
  template <typename Emit>
  void units(std::string_view piece, Emit&& emit);
  template <typename Emit>
  void unit(char16_t u, Emit&& emit);
  // Calls put(text) with each part of a line decided, and with each line end.
  template <typename Put>
  void lines(std::string_view piece, Put&& put);

  TextEncoding encoding_;
  int odd_byte_ = -1;           // the first byte of a unit whose second is in the next piece
  char16_t high_surrogate_ = 0;  // waiting for its low half
  std::string line_;             // the start of a line whose end is in a later piece
};

// The text of a playlist file as UTF-8, converted as a whole (the bytes are given up), in the
// encoding playlist_encoding found.
std::string playlist_utf8(std::string bytes, const PlaylistEncoding& found);
