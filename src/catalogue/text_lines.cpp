#include "catalogue/text_lines.h"

#include <cstring>

namespace {
// Position of the first CR or LF at or after from, or the text's size.
size_t find_line_end(std::string_view text, size_t from) {
  const char* p = text.data() + from;
  const char* end = text.data() + text.size();
  while (p != end && *p != '\n' && *p != '\r') ++p;
  return static_cast<size_t>(p - text.data());
}
}  // namespace

std::string_view text_before_nul(std::string_view text) {
  if (const void* nul = std::memchr(text.data(), '\0', text.size()))
    return text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
  return text;
}

bool LineReader::next(std::string_view& line) {
  if (rest_.empty()) return false;
  const size_t end = find_line_end(rest_, 0);
  line = rest_.substr(0, end);
  size_t skip = end;
  if (skip < rest_.size()) {
    const bool crlf = rest_[skip] == '\r' && skip + 1 < rest_.size() && rest_[skip + 1] == '\n';
    skip += crlf ? 2 : 1;
  }
  rest_.remove_prefix(skip);
  return true;
}

size_t count_lines(std::string_view text) {
  text = text_before_nul(text);
  size_t lines = 0;
  size_t position = 0;
  while (position < text.size()) {
    ++lines;
    const size_t end = find_line_end(text, position);
    if (end == text.size()) break;
    position = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

std::vector<std::string_view> split_lines(std::string_view text) {
  text = text_before_nul(text);
  std::vector<std::string_view> lines;
  lines.reserve(count_lines(text));
  LineReader reader(text);
  std::string_view line;
  while (reader.next(line)) lines.push_back(line);
  return lines;
}
