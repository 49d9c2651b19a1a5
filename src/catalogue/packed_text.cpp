#include "catalogue/packed_text.h"

#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

// A block is [reference count][length][bytes], both counts 32-bit. Copies share the block: the
// genre name of a million channels is then one block per genre rather than one per channel.
namespace {
struct Header {
  uint32_t references;
  uint32_t length;
};

Header* header(char* block) { return reinterpret_cast<Header*>(block); }

char* pack(std::string_view text) {
  if (text.empty()) return nullptr;
  if (text.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("text too long");
  char* block = new char[sizeof(Header) + text.size()];
  new (block) Header{1, static_cast<uint32_t>(text.size())};
  std::memcpy(block + sizeof(Header), text.data(), text.size());
  return block;
}

char* share(char* block) {
  if (block) std::atomic_ref<uint32_t>(header(block)->references).fetch_add(1, std::memory_order_relaxed);
  return block;
}

void release(char* block) {
  if (block && std::atomic_ref<uint32_t>(header(block)->references).fetch_sub(1, std::memory_order_acq_rel) == 1)
    delete[] block;
}
}  // namespace

PackedText::PackedText(std::string_view text) : data_(pack(text)) {}

PackedText::PackedText(const PackedText& other) : data_(share(other.data_)) {}

PackedText& PackedText::operator=(const PackedText& other) {
  if (data_ != other.data_) {
    char* shared = share(other.data_);
    release(data_);
    data_ = shared;
  }
  return *this;
}

PackedText& PackedText::operator=(PackedText&& other) noexcept {
  if (this != &other) {
    release(data_);
    data_ = other.data_;
    other.data_ = nullptr;
  }
  return *this;
}

PackedText::~PackedText() { release(data_); }

std::string_view PackedText::view() const noexcept {
  if (!data_) return {};
  return {data_ + sizeof(Header), header(data_)->length};
}
