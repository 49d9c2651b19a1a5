#pragma once
#include "catalogue/packed_text.h"
#include "catalogue/page_populator.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Writes many texts one after another into large chunks of memory, so that a catalogue's million
// names and addresses cost no allocation each and are freed a chunk at a time. A chunk goes back to
// the system once the arena has moved on from it and the last of its texts is gone; the texts
// themselves are ordinary PackedText values that may outlive the arena. One thread writes into an
// arena; its texts may then be read, copied and destroyed on any thread.
class TextArena {
 public:
  // expected_bytes guides the size of the first chunk (the texts to come, if known).
  explicit TextArena(uint64_t expected_bytes = 0);
  ~TextArena();
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  PackedText add(std::string_view text);

  // Has the pages of the chunks faulted in a little ahead of the writing, from the next chunk on;
  // pages must outlive the arena's writing.
  void populate_chunks_with(PagePopulator* pages) { pages_ = pages; }

  // Bytes of the chunks taken from the system so far.
  uint64_t reserved_bytes() const { return reserved_; }

  // Chunks of every arena not yet given back, in the whole process.
  static uint64_t chunks_alive();

  static constexpr size_t kSmallestChunk = size_t{2} << 20;
  static constexpr size_t kLargestChunk = size_t{64} << 20;

 private:
  void start_chunk(size_t at_least);
  void leave_chunk();

  char* chunk_ = nullptr;
  size_t used_ = 0;
  size_t capacity_ = 0;
  uint32_t written_ = 0;  // texts written into the current chunk
  size_t next_size_;
  uint64_t reserved_ = 0;
  PagePopulator* pages_ = nullptr;
  PopulateAhead ahead_;
};
