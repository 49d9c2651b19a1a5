#include "catalogue/colliding_keys.h"
#include "catalogue/keyed_hash.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

TEST(KeyedHash, MatchesThePublishedSipHashVectors) {
  // Key 00 01 .. 0f; messages 00 01 .. of the given length (SipHash-2-4, 64-bit output).
  const uint64_t k0 = 0x0706050403020100ULL, k1 = 0x0f0e0d0c0b0a0908ULL;
  const struct {
    size_t length;
    uint64_t hash;
  } vectors[] = {{0, 0x726fdb47dd0e0e31ULL}, {1, 0x74f839c593dc67fdULL}, {8, 0x93f5f5799a932462ULL},
                 {15, 0xa129ca6149be45e5ULL}};
  for (const auto& v : vectors) {
    std::string message;
    for (size_t i = 0; i < v.length; ++i) message += static_cast<char>(i);
    EXPECT_EQ(siphash(message, k0, k1, 2, 4), v.hash) << v.length;
  }
  // The run's hash is keyed: the same text under another key lands elsewhere.
  EXPECT_NE(siphash("channel.one", k0, k1, 1, 3), siphash("channel.one", k0 + 1, k1, 1, 3));
  EXPECT_EQ(keyed_hash("channel.one"), keyed_hash(std::string("channel.one")));
}

TEST(KeyedHash, KeysThatDefeatTheStandardHashStayApart) {
  const std::vector<std::string> keys = colliding_keys(1024, "http://x/");
  std::set<size_t> standard, keyed;
  for (const std::string& key : keys) {
    ASSERT_EQ(key.size(), keys.front().size());
    standard.insert(std::hash<std::string_view>{}(key));
    keyed.insert(KeyedTextHash{}(key));
  }
  EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size());
  // What the keys are for: one slot for all of them under the standard hash...
  EXPECT_EQ(standard.size(), 1u);
  // ...and none shared under the keyed one.
  EXPECT_EQ(keyed.size(), keys.size());
}
