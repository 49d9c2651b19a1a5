#pragma once
#include <string>
#include <string_view>

// Standard base64 (A-Z a-z 0-9 + /, '=' padding). Decoding skips every character outside the
// alphabet, padding included; a final group of two or three characters gives one or two bytes and
// a single leftover character gives nothing.
void decode_base64_into(std::string_view encoded, std::string& decoded);  // replaces decoded
std::string decode_base64(std::string_view encoded);
std::string encode_base64(std::string_view bytes);
