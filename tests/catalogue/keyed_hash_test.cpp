// The keyed hash of outside texts: SipHash as its authors and OpenSSL compute it, and a key that
// is drawn, not fixed.
#include "catalogue/colliding_keys.h"
#include "catalogue/keyed_hash.h"

#include <gtest/gtest.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <random>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

namespace {
// OpenSSL's SipHash-c-d with an 8-byte result, read as the little-endian number it is.
uint64_t openssl_siphash(const unsigned char key[16], const std::vector<unsigned char>& data, unsigned c, unsigned d) {
  EVP_MAC* mac = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_SIPHASH, nullptr);
  EVP_MAC_CTX* ctx = EVP_MAC_CTX_new(mac);
  size_t size = 8;
  const OSSL_PARAM params[] = {OSSL_PARAM_construct_size_t(OSSL_MAC_PARAM_SIZE, &size),
                               OSSL_PARAM_construct_uint(OSSL_MAC_PARAM_C_ROUNDS, &c),
                               OSSL_PARAM_construct_uint(OSSL_MAC_PARAM_D_ROUNDS, &d), OSSL_PARAM_construct_end()};
  unsigned char out[8] = {};
  size_t written = 0;
  const bool ok = EVP_MAC_init(ctx, key, 16, params) == 1 && EVP_MAC_update(ctx, data.data(), data.size()) == 1 &&
                  EVP_MAC_final(ctx, out, &written, sizeof out) == 1 && written == 8;
  EVP_MAC_CTX_free(ctx);
  EVP_MAC_free(mac);
  EXPECT_TRUE(ok);
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | out[i];
  return value;
}

SipHashKey key_of(const unsigned char bytes[16]) {
  SipHashKey key;
  for (int i = 7; i >= 0; --i) key.k0 = (key.k0 << 8) | bytes[i];
  for (int i = 15; i >= 8; --i) key.k1 = (key.k1 << 8) | bytes[i];
  return key;
}
}  // namespace

TEST(KeyedHash, SipHashGivesTheReferenceVectors) {
  // The key 00 01 .. 0f and the message 00 01 .. (n - 1), from the authors' paper and vectors.
  unsigned char key[16];
  for (int i = 0; i < 16; ++i) key[i] = static_cast<unsigned char>(i);
  std::vector<unsigned char> message;
  for (int i = 0; i < 16; ++i) message.push_back(static_cast<unsigned char>(i));
  const struct {
    size_t size;
    uint64_t hash;
  } vectors[] = {{0, 0x726fdb47dd0e0e31ull},
                 {1, 0x74f839c593dc67fdull},
                 {2, 0x0d6c8009d9a94f5aull},
                 {3, 0x85676696d7fb7e2dull},
                 {15, 0xa129ca6149be45e5ull}};
  for (const auto& v : vectors) EXPECT_EQ((siphash<2, 4>(key_of(key), message.data(), v.size)), v.hash) << v.size;
}

TEST(KeyedHash, SipHashAgreesWithOpenSsl) {
  // Every length around the 8-byte blocks, random keys and bytes, both round counts in use.
  std::mt19937_64 random(20260511);
  for (size_t size = 0; size <= 72; ++size) {
    unsigned char key[16];
    for (unsigned char& b : key) b = static_cast<unsigned char>(random());
    std::vector<unsigned char> data(size);
    for (unsigned char& b : data) b = static_cast<unsigned char>(random());
    EXPECT_EQ((siphash<1, 3>(key_of(key), data.data(), size)), openssl_siphash(key, data, 1, 3)) << size;
    EXPECT_EQ((siphash<2, 4>(key_of(key), data.data(), size)), openssl_siphash(key, data, 2, 4)) << size;
  }
}

TEST(KeyedHash, ADrawnKeyAndTablesThatFindTextsByView) {
  const SipHashKey& key = process_hash_key();
  EXPECT_FALSE(key.k0 == 0 && key.k1 == 0);
  const std::unordered_set<std::string, KeyedTextHash, std::equal_to<>> texts{"http://a/1", "http://a/2"};
  EXPECT_NE(texts.find(std::string_view("http://a/1")), texts.end());
  EXPECT_EQ(texts.find(std::string_view("http://a/3")), texts.end());
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
