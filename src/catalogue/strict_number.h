#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// Numbers in catalogue files, independent of the user's locale. An integer is an optional sign
// and decimal digits within the signed 32-bit range. A real number has "." as its only decimal
// separator and may carry an exponent; "4,5", "inf", "nan", blanks and empty texts are refused.
std::optional<int32_t> parse_int32(std::string_view text);
std::optional<double> parse_real(std::string_view text);
