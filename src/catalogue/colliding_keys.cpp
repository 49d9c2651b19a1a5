#include "catalogue/colliding_keys.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <utility>

namespace {
constexpr uint64_t kMul = 0xc6a4a7935bd1e995ULL;

constexpr uint64_t inverse(uint64_t odd) {
  uint64_t x = odd;  // Newton's iteration: each step doubles the bits that are right
  for (int i = 0; i < 6; ++i) x *= 2 - odd * x;
  return x;
}
constexpr uint64_t kInverse = inverse(kMul);

uint64_t shift_mix(uint64_t v) { return v ^ (v >> 47); }
// What one 8-byte block does to the hash's state, and back.
uint64_t mix(uint64_t block) { return shift_mix(block * kMul) * kMul; }
uint64_t unmix(uint64_t mixed) { return shift_mix(mixed * kInverse) * kInverse; }

std::string bytes_of(uint64_t block) {
  std::string out(8, '\0');
  std::memcpy(out.data(), &block, 8);
  return out;
}

// Two blocks whose mixes differ in the top bit alone: the state after either differs in its top
// bit alone whatever it was before (a multiplication by an odd number keeps that bit where it is).
std::pair<uint64_t, uint64_t> twin_blocks(std::mt19937_64& random) {
  const uint64_t block = random();
  return {block, unmix(mix(block) ^ (uint64_t{1} << 63))};
}
}  // namespace

std::vector<std::string> colliding_keys(size_t count, const std::string& prefix) {
  size_t pieces = 0;
  while ((size_t{1} << pieces) < count) ++pieces;
  std::mt19937_64 random(20261211);
  // A piece is two blocks; its first block sets the top bit of the state apart and its second
  // sets it back, so the two spellings of a piece end in the same state.
  std::vector<std::pair<std::string, std::string>> spellings;
  for (size_t i = 0; i < pieces; ++i) {
    const auto [a, a_twin] = twin_blocks(random);
    const auto [b, b_twin] = twin_blocks(random);
    spellings.emplace_back(bytes_of(a) + bytes_of(b), bytes_of(a_twin) + bytes_of(b_twin));
  }
  // The pieces must fall on the hash's 8-byte blocks.
  std::string start = prefix;
  while (start.size() % 8 != 0) start += '_';
  std::vector<std::string> keys;
  keys.reserve(count);
  for (size_t n = 0; n < count; ++n) {
    std::string key = start;
    for (size_t i = 0; i < pieces; ++i) key += (n >> i) & 1 ? spellings[i].second : spellings[i].first;
    keys.push_back(std::move(key));
  }
  return keys;
}
