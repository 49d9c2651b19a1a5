#pragma once
#include "catalogue/zip_memory_reader.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Inflates members of an archive, one after another, on a second thread while the caller reads
// them: on two cores inflating the next piece and parsing this one overlap. Inflating sets the pace,
// so the CRC of each piece is computed by the reader as it copies the piece out. At most a few pieces
// are held ahead of the reader. The archive is the thread's alone until this object is destroyed,
// which stops the thread and waits for it, wherever the reader stopped.
class BackgroundInflate {
 public:
  static constexpr size_t kPiece = size_t{1} << 18;
  static constexpr size_t kPiecesAhead = 8;

  // Starts on the members with these names, in this order; all must be in the archive.
  BackgroundInflate(MemoryZipReader& archive, std::vector<std::string> members);
  ~BackgroundInflate();
  BackgroundInflate(const BackgroundInflate&) = delete;
  BackgroundInflate& operator=(const BackgroundInflate&) = delete;

  // The next bytes of the member at `index` in the list, which must be read in order and each to
  // its end: as many as fit into [into, into + capacity), and 0 once the member has ended and passed
  // its CRC check. Throws what reading the member threw (CatalogueError naming it).
  size_t read(size_t index, char* into, size_t capacity);

 private:
  struct Piece {
    size_t member = 0;
    std::unique_ptr<char[]> bytes;
    size_t size = 0;      // 0: the member's end
    size_t taken = 0;     // what the reader has copied out of it
    std::exception_ptr error;
    // At the member's end: what its bytes must come to, and its name for the error.
    uLong expected_crc = 0;
    std::string member_name;
  };

  void inflate_all();
  std::unique_ptr<char[]> free_buffer();  // empty when stopping
  void hand_over(Piece piece);

  MemoryZipReader& archive_;
  std::vector<std::string> members_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Piece> ready_;
  std::vector<std::unique_ptr<char[]>> spare_;
  size_t buffers_made_ = 0;
  bool stopping_ = false;

  uLong crc_ = 0;  // of the current member's bytes read so far; the reader's alone

  std::thread thread_;  // last: starts once everything above exists
};
