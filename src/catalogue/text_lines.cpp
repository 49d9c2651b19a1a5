#include "catalogue/text_lines.h"

#include "catalogue/byte_scan.h"

#include <cstring>

namespace {
// Position of the first CR or LF at or after from, or the text's size.
size_t find_line_end(std::string_view text, size_t from) {
  const char* end = text.data() + text.size();
  return static_cast<size_t>(byte_scan::find_either(text.data() + from, end, '\r', '\n') - text.data());
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
  if (text.empty()) return 0;
  // Every CR and every LF ends a line, except the LF of a CR LF pair; a last line without a line
  // end counts too.
  const char* p = text.data();
  const char* const end = p + text.size();
  size_t ends = 0;
  uint32_t cr_before = 0;  // the previous block ended with a CR
  for (; end - p >= 16; p += 16) {
    const uint32_t cr = byte_scan::mask16(p, '\r');
    const uint32_t lf = byte_scan::mask16(p, '\n');
    const uint32_t paired_lf = lf & ((cr << 1) | cr_before);
    for (uint32_t m = cr | (lf & ~paired_lf); m; m &= m - 1) ++ends;  // few bits: cheaper than popcount without POPCNT
    cr_before = (cr >> 15) & 1;
  }
  for (; p != end; ++p) {
    if (*p == '\r') ++ends;
    else if (*p == '\n' && !(p != text.data() && p[-1] == '\r')) ++ends;
  }
  const char last = end[-1];
  return ends + ((last != '\r' && last != '\n') ? 1 : 0);
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

bool next_line_fields(std::string_view& rest, char separator, TDynStringArray& fields) {
  if (rest.empty()) return false;
  fields.clear();
  const char* p = rest.data();
  const char* const end = p + rest.size();
  const char* start = p;
  const char* line_end = end;
  const auto field_until = [&](const char* at) {
    fields.emplace_back(start, static_cast<size_t>(at - start));
    start = at + 1;
  };
  bool found = false;
  for (; !found && end - p >= 16; p += 16) {
    const uint32_t breaks = byte_scan::mask16(p, '\r') | byte_scan::mask16(p, '\n');
    uint32_t separators = byte_scan::mask16(p, separator);
    if (breaks) {
      const int first = __builtin_ctz(breaks);
      separators &= (1u << first) - 1;
      line_end = p + first;
      found = true;
    }
    for (; separators; separators &= separators - 1) field_until(p + __builtin_ctz(separators));
  }
  for (; !found && p != end; ++p) {
    if (*p == '\r' || *p == '\n') {
      line_end = p;
      found = true;
    } else if (*p == separator) {
      field_until(p);
    }
  }
  if (start != line_end) fields.emplace_back(start, static_cast<size_t>(line_end - start));
  const char* next = line_end;
  if (next != end) next += (*next == '\r' && next + 1 != end && next[1] == '\n') ? 2 : 1;
  rest = std::string_view(next, static_cast<size_t>(end - next));
  return true;
}
