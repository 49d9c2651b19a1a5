#include "catalogue/keyed_hash.h"

#include <bit>
#include <cstring>
#include <random>

namespace {
constexpr uint64_t rotl(uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

struct State {
  uint64_t v0, v1, v2, v3;
  void round() {
    v0 += v1;
    v1 = rotl(v1, 13);
    v1 ^= v0;
    v0 = rotl(v0, 32);
    v2 += v3;
    v3 = rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = rotl(v1, 17);
    v1 ^= v2;
    v2 = rotl(v2, 32);
  }
  void compress(uint64_t m, int rounds) {
    v3 ^= m;
    for (int i = 0; i < rounds; ++i) round();
    v0 ^= m;
  }
};

uint64_t little_endian(const char* p) {
  uint64_t value;
  std::memcpy(&value, p, 8);
  if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap64(value);
  return value;
}

struct RunKey {
  uint64_t k0, k1;
  RunKey() {
    std::random_device device;
    k0 = (uint64_t{device()} << 32) ^ device();
    k1 = (uint64_t{device()} << 32) ^ device();
  }
};
}  // namespace

uint64_t siphash(std::string_view bytes, uint64_t key0, uint64_t key1, int compression_rounds, int final_rounds) {
  State s{key0 ^ 0x736f6d6570736575ULL, key1 ^ 0x646f72616e646f6dULL, key0 ^ 0x6c7967656e657261ULL,
          key1 ^ 0x7465646279746573ULL};
  const char* p = bytes.data();
  const size_t whole = bytes.size() & ~size_t{7};
  for (size_t i = 0; i < whole; i += 8) s.compress(little_endian(p + i), compression_rounds);
  uint64_t last = uint64_t{bytes.size() & 0xff} << 56;
  for (size_t i = whole; i < bytes.size(); ++i) last |= uint64_t{static_cast<unsigned char>(p[i])} << (8 * (i - whole));
  s.compress(last, compression_rounds);
  s.v2 ^= 0xff;
  for (int i = 0; i < final_rounds; ++i) s.round();
  return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

uint64_t keyed_hash(std::string_view bytes) {
  static const RunKey key;
  return siphash(bytes, key.k0, key.k1, 1, 3);
}
