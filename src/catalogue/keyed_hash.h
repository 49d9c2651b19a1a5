#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

// Hashes for tables keyed by text from outside (a playlist's addresses, a guide's ids). An unkeyed
// hash lets a file choose keys that all land in one slot, and every lookup then walks all of them:
// a few megabytes of such keys cost minutes. SipHash with a key drawn once per process makes that
// choice impossible without knowing the key, at about a nanosecond per byte.
//
// OpenSSL offers SipHash as a MAC, but setting one up per call costs far more than hashing a short
// address; this is the reference algorithm, checked against OpenSSL's in the tests.

struct SipHashKey {
  uint64_t k0 = 0;
  uint64_t k1 = 0;
};

namespace keyed_hash_detail {
inline uint64_t rotl(uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

struct SipState {
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
};

inline uint64_t load_le64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}
}  // namespace keyed_hash_detail

// SipHash-c-d with a 64-bit result; C compression and D finalization rounds.
template <int C, int D>
uint64_t siphash(const SipHashKey& key, const void* data, size_t size) {
  using namespace keyed_hash_detail;
  SipState s{key.k0 ^ 0x736f6d6570736575ull, key.k1 ^ 0x646f72616e646f6dull, key.k0 ^ 0x6c7967656e657261ull,
             key.k1 ^ 0x7465646279746573ull};
  const auto* p = static_cast<const unsigned char*>(data);
  const unsigned char* const end = p + (size & ~size_t{7});
  for (; p != end; p += 8) {
    const uint64_t m = load_le64(p);
    s.v3 ^= m;
    for (int i = 0; i < C; ++i) s.round();
    s.v0 ^= m;
  }
  uint64_t last = uint64_t{size & 0xFF} << 56;
  for (size_t i = 0; i < (size & 7); ++i) last |= uint64_t{p[i]} << (8 * i);
  s.v3 ^= last;
  for (int i = 0; i < C; ++i) s.round();
  s.v0 ^= last;
  s.v2 ^= 0xFF;
  for (int i = 0; i < D; ++i) s.round();
  return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

// The key of this process: random, drawn at its first use.
inline const SipHashKey& process_hash_key() {
  static const SipHashKey key = [] {
    std::random_device random;
    const auto word = [&] { return (uint64_t{random()} << 32) ^ random(); };
    SipHashKey k;
    k.k0 = word();
    k.k1 = word();
    return k;
  }();
  return key;
}

// SipHash-1-3 under the process's key: the choice of hash tables that take outside keys.
inline uint64_t keyed_hash(std::string_view text) {
  return siphash<1, 3>(process_hash_key(), text.data(), text.size());
}

// For std::unordered_map and std::unordered_set of texts from outside; transparent, so a
// std::string_view looks up a std::string key without a copy.
struct KeyedTextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return static_cast<size_t>(keyed_hash(text)); }
  size_t operator()(const std::string& text) const { return (*this)(std::string_view(text)); }
  size_t operator()(const char* text) const { return (*this)(std::string_view(text)); }
};
