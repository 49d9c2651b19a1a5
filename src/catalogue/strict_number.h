#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include <QStringView>

// Numbers in catalogue files, independent of the user's locale.

// A real number has "." as its only decimal separator and may carry a sign and an exponent;
// "4,5", "inf", "nan", blanks and empty texts are refused.
std::optional<double> parse_real(std::string_view text);

// An integer is an optional sign and decimal digits within the signed 32-bit range; blanks,
// "0x10", "1.0" and empty texts are refused. Inline: a million channels carry eleven each.
inline std::optional<int32_t> parse_int32(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p == end) return std::nullopt;
  constexpr uint64_t kLimit = uint64_t{1} << 31;  // magnitude of the most negative value
  uint64_t magnitude = 0;
  for (; p != end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) return std::nullopt;
    magnitude = magnitude * 10 + digit;
    if (magnitude > kLimit) return std::nullopt;
  }
  if (!negative && magnitude == kLimit) return std::nullopt;
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
}

// The same rule over UTF-16 text (user files, settings): anything outside ASCII is refused.
std::optional<int32_t> parse_int32(QStringView text);
