#include "catalogue/strict_number.h"

#include <charconv>

namespace {
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Skips digits from position i; answers whether there was at least one.
bool skip_digits(std::string_view text, size_t& i) {
  const size_t start = i;
  while (i < text.size() && is_digit(text[i])) ++i;
  return i > start;
}

// from_chars takes no leading '+'; every other check is done before it sees the text.
std::string_view without_plus(std::string_view text) {
  if (!text.empty() && text[0] == '+' && text.size() > 1 && text[1] != '-' && text[1] != '+') return text.substr(1);
  return text;
}
}  // namespace

std::optional<double> parse_real(std::string_view text) {
  text = without_plus(text);
  size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
  const bool whole = skip_digits(text, i);
  bool fraction = false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    fraction = skip_digits(text, i);
  }
  if (!whole && !fraction) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!skip_digits(text, i)) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<int32_t> parse_int32(QStringView text) {
  // Leading zeros may make a number long, but not this long.
  char ascii[64];
  if (text.size() > static_cast<qsizetype>(sizeof ascii)) return std::nullopt;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c > 0x7F) return std::nullopt;
    ascii[i] = static_cast<char>(c);
  }
  return parse_int32(std::string_view(ascii, static_cast<size_t>(text.size())));
}
