#pragma once
#include "catalogue/byte_scan.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Lines, words and numbers of a playlist's text.
namespace playlist_lines {

// The first CR or LF in [p, end), or end.
inline const char* line_end(const char* p, const char* end) {
  for (; end - p >= 16; p += 16) {
    if (const uint32_t mask = byte_scan::mask16(p, '\n') | byte_scan::mask16(p, '\r')) return p + __builtin_ctz(mask);
  }
  while (p != end && *p != '\n' && *p != '\r') ++p;
  return p;
}

// Calls line(number, text) for every line, numbered from 1, without its line end. A line ends at
// CR, LF or a CR LF pair; a line end at the very end of the text starts no further line.
template <typename Line>
void for_each_line(std::string_view text, Line&& line) {
  const char* p = text.data();
  const char* const end = p + text.size();
  size_t number = 0;
  while (p != end) {
    const char* const stop = line_end(p, end);
    line(++number, std::string_view(p, static_cast<size_t>(stop - p)));
    if (stop == end) return;
    p = stop + 1;
    if (*stop == '\r' && p != end && *p == '\n') ++p;
  }
}

inline bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

inline std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

inline char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares ASCII letters without regard to case; `lower` is written in lower case.
inline bool equals_nocase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (ascii_lower(text[i]) != lower[i]) return false;
  return true;
}

inline bool starts_with_nocase(std::string_view text, std::string_view lower) {
  return text.size() >= lower.size() && equals_nocase(text.substr(0, lower.size()), lower);
}

// Seconds written as a finite number.
inline std::optional<float> duration_of(std::string_view text) {
  float seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds)) return std::nullopt;
  return seconds;
}

}  // namespace playlist_lines
