#include "catalogue/packed_text.h"

#include "catalogue/text_block.h"

#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

// Copies share the block: the genre name of a million channels is one block per genre rather than
// one per channel, and a text in an arena chunk keeps the whole chunk alive.
namespace {
using text_block::ChunkHeader;
using text_block::Header;
using text_block::kInChunk;
using text_block::kMarked;

Header* header(char* block) { return reinterpret_cast<Header*>(block); }

// The count a copy or a release changes: the block's own, or that of its chunk.
// The share word of a text on the heap changes under other threads; its kInChunk bit never does.
uint32_t share_word(char* block) {
  return std::atomic_ref<uint32_t>(header(block)->share).load(std::memory_order_relaxed);
}

uint32_t& share_count(char* block) {
  const uint32_t share = share_word(block);
  if (share & kInChunk) return reinterpret_cast<ChunkHeader*>(block - (share & ~kInChunk))->live;
  return header(block)->share;
}

char* pack(std::string_view text, uint32_t mark = 0) {
  if (text.empty()) return nullptr;
  if (text.size() >= kMarked) throw std::length_error("text too long");
  char* block = new char[sizeof(Header) + text.size()];
  new (block) Header{1, static_cast<uint32_t>(text.size()) | mark};
  std::memcpy(block + sizeof(Header), text.data(), text.size());
  return block;
}

char* share(char* block) {
  if (block) std::atomic_ref<uint32_t>(share_count(block)).fetch_add(1, std::memory_order_relaxed);
  return block;
}

void release(char* block) {
  if (!block) return;
  const uint32_t share = share_word(block);
  if (share & kInChunk) {
    auto* chunk = reinterpret_cast<ChunkHeader*>(block - (share & ~kInChunk));
    if (std::atomic_ref<uint32_t>(chunk->live).fetch_sub(1, std::memory_order_acq_rel) == 1)
      text_block::free_chunk(chunk);
    return;
  }
  if (std::atomic_ref<uint32_t>(header(block)->share).fetch_sub(1, std::memory_order_acq_rel) == 1) delete[] block;
}
}  // namespace

PackedText::PackedText(std::string_view text) : data_(pack(text)) {}

PackedText PackedText::marked(std::string_view text) { return PackedText(pack(text, kMarked), Adopt{}); }

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
  return {data_ + sizeof(Header), header(data_)->length & ~kMarked};
}

bool PackedText::is_marked() const noexcept { return data_ && (header(data_)->length & kMarked) != 0; }
