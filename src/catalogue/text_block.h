#pragma once
#include <cstdint>

// The layout PackedText and TextArena share. Every text is [share word][length][bytes], both words
// 32-bit. A text on the heap keeps its reference count in the share word. A text in an arena chunk
// has kInChunk set there and, below it, its distance in bytes from the start of its chunk, whose
// ChunkHeader counts the texts of the chunk that are still alive.
namespace text_block {
struct Header {
  uint32_t share;
  uint32_t length;
};

inline constexpr uint32_t kInChunk = uint32_t{1} << 31;
// Set in the length word of a marked text (PackedText::marked); the length is the bits below it.
inline constexpr uint32_t kMarked = uint32_t{1} << 31;

struct ChunkHeader {
  uint32_t live;      // texts of the chunk alive, plus the arena's own share while it writes into it
  uint32_t reserved;  // keeps the texts 8-byte aligned
  uint64_t bytes;     // of the whole mapping
};

// Hands the chunk's memory back to the system.
void free_chunk(ChunkHeader* chunk);
}  // namespace text_block
