#pragma once
#include "catalogue/implode_explode.h"

#include <cstddef>
#include <string_view>
#include <vector>

// Lines of a catalogue text member. A line ends at CR, LF or a CR LF pair; the text ends at its
// first NUL; a last line without a line end counts; a line end at the very end starts no further
// line; an empty line is a line.
std::string_view text_before_nul(std::string_view text);
std::size_t count_lines(std::string_view text);
std::vector<std::string_view> split_lines(std::string_view text);

// Walks the lines one at a time without building a list of them. Give it a text already cut at
// its first NUL (text_before_nul).
class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}
  bool next(std::string_view& line);

 private:
  std::string_view rest_;
};

// Takes the next line off the front of rest (a text already cut at its first NUL) and splits it
// at separator as explode does with no limit, in a single pass over the bytes; the loaders' hot
// path. Answers false when rest holds no further line.
bool next_line_fields(std::string_view& rest, char separator, TDynStringArray& fields);
