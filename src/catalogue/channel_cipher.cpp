#include "catalogue/channel_cipher.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/text_split.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace {
constexpr size_t kBlock = 16;
constexpr std::string_view kKeyMaterial = "rolvetqa.dat";
constexpr std::string_view kIvText = "qzrmtwnbkdvlxpfh";
// EVP takes int lengths; whole-block slices this long keep far below the limit.
constexpr size_t kSlice = size_t{1} << 30;

using Block = std::array<unsigned char, kBlock>;

struct CipherContextFree {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }  // also wipes the key schedule
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

// The 32-byte key buffer (key material padded with NULs); AES-128 takes its first 16 bytes.
// Wiped when it goes out of scope.
class KeyBuffer {
 public:
  KeyBuffer() {
    std::string padded = pad_with_nul(kKeyMaterial, 32);  // the key text is ASCII: its code page bytes are the same
    std::memcpy(bytes_.data(), padded.data(), bytes_.size());
    OPENSSL_cleanse(padded.data(), padded.size());
  }
  ~KeyBuffer() { OPENSSL_cleanse(bytes_.data(), bytes_.size()); }
  KeyBuffer(const KeyBuffer&) = delete;
  KeyBuffer& operator=(const KeyBuffer&) = delete;
  const unsigned char* aes_key() const { return bytes_.data(); }

 private:
  std::array<unsigned char, 32> bytes_{};
};

Block initialisation_vector() {
  const std::string padded = pad_with_nul(kIvText, kBlock);
  Block iv{};
  std::memcpy(iv.data(), padded.data(), kBlock);
  return iv;
}

[[noreturn]] void fail() { throw CatalogueError("The channel database cipher could not be set up (OpenSSL failed)."); }

CipherContext make_context(const EVP_CIPHER* cipher, const unsigned char* key, const unsigned char* iv, bool encrypt) {
  CipherContext ctx(EVP_CIPHER_CTX_new());
  if (!ctx || EVP_CipherInit_ex(ctx.get(), cipher, nullptr, key, iv, encrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1)
    fail();
  return ctx;
}

// Runs the whole blocks through a CBC context, in place.
void run_cbc(EVP_CIPHER_CTX* ctx, unsigned char* data, size_t length) {
  for (size_t done = 0; done < length;) {
    const size_t slice = std::min(kSlice, length - done);
    int written = 0;
    if (EVP_CipherUpdate(ctx, data + done, &written, data + done, static_cast<int>(slice)) != 1 ||
        static_cast<size_t>(written) != slice)
      fail();
    done += slice;
  }
}

// XORs the tail with the AES encryption of the block before it.
void apply_tail(const unsigned char* key, const Block& previous, unsigned char* tail, size_t length) {
  CipherContext ecb = make_context(EVP_aes_128_ecb(), key, nullptr, true);
  Block stream{};
  int written = 0;
  if (EVP_CipherUpdate(ecb.get(), stream.data(), &written, previous.data(), kBlock) != 1 || written != kBlock) fail();
  for (size_t i = 0; i < length; ++i) tail[i] ^= stream[i];
  OPENSSL_cleanse(stream.data(), stream.size());
}

void transform(unsigned char* data, size_t size, bool encrypt) {
  KeyBuffer key;
  const Block iv = initialisation_vector();
  const size_t whole = size / kBlock * kBlock;
  Block last_cipher_block = iv;
  // Decrypting in place destroys the ciphertext, so the block the tail depends on is kept first.
  if (!encrypt && whole > 0) std::memcpy(last_cipher_block.data(), data + whole - kBlock, kBlock);
  if (whole > 0) {
    CipherContext cbc = make_context(EVP_aes_128_cbc(), key.aes_key(), iv.data(), encrypt);
    run_cbc(cbc.get(), data, whole);
  }
  if (encrypt && whole > 0) std::memcpy(last_cipher_block.data(), data + whole - kBlock, kBlock);
  if (whole < size) apply_tail(key.aes_key(), last_cipher_block, data + whole, size - whole);
}

unsigned char* as_bytes(char* data) { return reinterpret_cast<unsigned char*>(data); }
}  // namespace

void decrypt_channel_file_in_place(char* data, size_t size) { transform(as_bytes(data), size, false); }
void decrypt_channel_file_in_place(std::string& bytes) { transform(as_bytes(bytes.data()), bytes.size(), false); }
void encrypt_channel_file_in_place(std::string& bytes) { transform(as_bytes(bytes.data()), bytes.size(), true); }

std::string decrypt_channel_file(std::string_view ciphertext) {
  std::string bytes(ciphertext);
  decrypt_channel_file_in_place(bytes);
  return bytes;
}

std::string encrypt_channel_file(std::string_view zip) {
  std::string bytes(zip);
  encrypt_channel_file_in_place(bytes);
  return bytes;
}
