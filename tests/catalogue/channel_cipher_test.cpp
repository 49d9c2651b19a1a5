#include "catalogue/channel_cipher.h"
#include "channel_file_helpers.h"
#include "test_env.h"

#include <gtest/gtest.h>

using namespace quovi_test;

// The fixtures were made independently: whole CBC blocks, a tail alone, and both together.
class CipherFixture : public testing::TestWithParam<int> {};

TEST_P(CipherFixture, DecryptsAndEncryptsLikeTheFixture) {
  const QString base = QStringLiteral("catalogue/layer1-%1").arg(GetParam());
  const std::string plain = to_std(read_all(fixture(base + ".plain")));
  const std::string encrypted = to_std(read_all(fixture(base + ".enc")));
  ASSERT_EQ(plain.size(), static_cast<size_t>(GetParam()));
  ASSERT_EQ(encrypted.size(), plain.size());
  EXPECT_EQ(decrypt_channel_file(encrypted), plain);
  EXPECT_EQ(encrypt_channel_file(plain), encrypted);
}

INSTANTIATE_TEST_SUITE_P(Lengths, CipherFixture, testing::Values(0, 10, 16, 37));

TEST(Cipher, SampleFileDecryptsToTheSampleArchive) {
  const std::string file = to_std(read_all(fixture("catalogue/sample-channels.dat")));
  const std::string zip = to_std(read_all(fixture("catalogue/sample.zip")));
  ASSERT_FALSE(zip.empty());
  EXPECT_EQ(decrypt_channel_file(file), zip);
}

TEST(Cipher, RoundTripsEveryLengthAroundTheBlockSize) {
  for (size_t length = 0; length <= 70; ++length) {
    std::string plain;
    for (size_t i = 0; i < length; ++i) plain += static_cast<char>(i * 37 + 11);
    const std::string encrypted = encrypt_channel_file(plain);
    ASSERT_EQ(encrypted.size(), length);
    if (length > 0) {
      EXPECT_NE(encrypted, plain) << length;
    }
    EXPECT_EQ(decrypt_channel_file(encrypted), plain) << length;
  }
}

TEST(Cipher, TailDependsOnLastCipherBlockOnly) {
  // Changing the tail of the plaintext changes only the tail of the ciphertext (XOR stream),
  // while a change in a whole block changes that block and, through the chain, the tail.
  std::string a(37, 'a');
  std::string b = a;
  b[36] = 'b';
  const std::string ea = encrypt_channel_file(a), eb = encrypt_channel_file(b);
  EXPECT_EQ(ea.substr(0, 36), eb.substr(0, 36));
  EXPECT_NE(ea[36], eb[36]);
  std::string c = a;
  c[0] = 'c';
  EXPECT_NE(encrypt_channel_file(c).substr(32), ea.substr(32));
}
