#include "catalogue/base64_text.h"

#include <array>
#include <cstdint>

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kSkip = 0xFF;

constexpr std::array<uint8_t, 256> make_decode_table() {
  std::array<uint8_t, 256> table{};
  for (auto& v : table) v = kSkip;
  for (uint8_t i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
  return table;
}
constexpr std::array<uint8_t, 256> kDecode = make_decode_table();
}  // namespace

void decode_base64_into(std::string_view encoded, std::string& decoded) {
  decoded.resize(encoded.size() / 4 * 3 + 2);
  char* out = decoded.data();
  const auto* in = reinterpret_cast<const unsigned char*>(encoded.data());
  const auto* const in_end = in + encoded.size();
  // Whole groups of four alphabet characters, the usual case, without the per-character checks.
  for (; in_end - in >= 4; in += 4) {
    const uint32_t a = kDecode[in[0]], b = kDecode[in[1]], c = kDecode[in[2]], d = kDecode[in[3]];
    if ((a | b | c | d) & 0x80) break;  // a character to skip: the general loop takes over
    const uint32_t v = a << 18 | b << 12 | c << 6 | d;
    *out++ = static_cast<char>(v >> 16);
    *out++ = static_cast<char>(v >> 8);
    *out++ = static_cast<char>(v);
  }
  uint32_t bits = 0;
  int count = 0;
  for (unsigned char c : std::string_view(reinterpret_cast<const char*>(in), static_cast<size_t>(in_end - in))) {
    const uint8_t value = kDecode[c];
    if (value == kSkip) continue;
    bits = (bits << 6) | value;
    if (++count == 4) {
      *out++ = static_cast<char>(bits >> 16);
      *out++ = static_cast<char>(bits >> 8);
      *out++ = static_cast<char>(bits);
      bits = 0;
      count = 0;
    }
  }
  if (count == 2) {
    *out++ = static_cast<char>(bits >> 4);
  } else if (count == 3) {
    *out++ = static_cast<char>(bits >> 10);
    *out++ = static_cast<char>(bits >> 2);
  }
  decoded.resize(static_cast<size_t>(out - decoded.data()));
}

std::string decode_base64(std::string_view encoded) {
  std::string decoded;
  decode_base64_into(encoded, decoded);
  return decoded;
}

std::string encode_base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                       static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (rest == 2) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}
