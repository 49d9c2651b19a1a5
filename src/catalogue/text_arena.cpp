#include "catalogue/text_arena.h"

#include "catalogue/large_pages.h"
#include "catalogue/text_block.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace {
using text_block::ChunkHeader;
using text_block::Header;
using text_block::kInChunk;

// The arena's own share of the chunk it writes into: the count cannot reach zero while texts written
// but not yet counted are released.
constexpr uint32_t kWriterShare = uint32_t{1} << 30;

// Texts are 8-byte aligned so their headers can be read in place.
constexpr size_t aligned(size_t n) { return (n + 7) & ~size_t{7}; }

// A text this long gets a block of its own: it would waste most of a chunk's tail.
constexpr size_t kLongestInChunk = size_t{64} << 10;

std::atomic<uint64_t> chunks{0};
}  // namespace

void text_block::free_chunk(ChunkHeader* chunk) {
  unmap_large_pages(reinterpret_cast<char*>(chunk), chunk->bytes);
  chunks.fetch_sub(1, std::memory_order_relaxed);
}

uint64_t TextArena::chunks_alive() { return chunks.load(std::memory_order_relaxed); }

TextArena::TextArena(uint64_t expected_bytes)
    : next_size_(std::clamp<size_t>(static_cast<size_t>(std::min<uint64_t>(expected_bytes, kLargestChunk)) + kLargePage - 1,
                                    kSmallestChunk, kLargestChunk) &
                 ~(kLargePage - 1)) {}

TextArena::~TextArena() { leave_chunk(); }

void TextArena::start_chunk(size_t at_least) {
  leave_chunk();
  const size_t bytes = std::max(next_size_, (at_least + kLargePage - 1) & ~(kLargePage - 1));
  chunk_ = map_large_pages(bytes);
  chunks.fetch_add(1, std::memory_order_relaxed);
  new (chunk_) ChunkHeader{kWriterShare, 0, bytes};
  ahead_.start(pages_, chunk_, bytes);
  used_ = sizeof(ChunkHeader);
  capacity_ = bytes;
  written_ = 0;
  reserved_ += bytes;
  next_size_ = std::min(next_size_ * 2, kLargestChunk);
}

void TextArena::leave_chunk() {
  if (!chunk_) return;
  // Trade the writer's share for the texts written: what is left counts the texts still alive.
  auto* header = reinterpret_cast<ChunkHeader*>(chunk_);
  const uint32_t drop = kWriterShare - written_;
  if (std::atomic_ref<uint32_t>(header->live).fetch_sub(drop, std::memory_order_acq_rel) == drop)
    text_block::free_chunk(header);
  chunk_ = nullptr;
}

PackedText TextArena::add(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > kLongestInChunk) return PackedText(text);
  const size_t need = aligned(sizeof(Header) + text.size());
  if (!chunk_ || capacity_ - used_ < need) start_chunk(sizeof(ChunkHeader) + need);
  char* block = chunk_ + used_;
  new (block) Header{kInChunk | static_cast<uint32_t>(used_), static_cast<uint32_t>(text.size())};
  std::memcpy(block + sizeof(Header), text.data(), text.size());
  used_ += need;
  ++written_;
  ahead_.reached(used_);
  return PackedText(block, PackedText::Adopt{});
}
