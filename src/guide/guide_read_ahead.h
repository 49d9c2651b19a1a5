#pragma once
#include "guide/guide_input.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// A guide's document bytes decompressed on a thread of their own, a few pieces ahead of the reader:
// inflating and parsing then share two cores, while memory stays at a fixed handful of buffers.
// The pieces come in the document's order, each with what the source had read and any fault it had
// met by then, so the reader learns of a fault exactly where it would have without the thread.
class GuideReadAhead {
 public:
  static constexpr size_t kPieceBytes = 256 * 1024;
  static constexpr size_t kPieces = 4;

  struct Piece {
    std::unique_ptr<char[]> bytes = std::make_unique_for_overwrite<char[]>(kPieceBytes);
    size_t size = 0;  // 0: the document's end, or the source failed
    uint64_t source_bytes = 0;
    std::string problem;  // the source's fault, once it has met one
  };

  explicit GuideReadAhead(GuideInput::RawRead raw);
  // Stops the thread, even mid-document.
  ~GuideReadAhead();
  GuideReadAhead(const GuideReadAhead&) = delete;
  GuideReadAhead& operator=(const GuideReadAhead&) = delete;

  // The next piece, waited for; valid until release(). After a piece of size 0 none follows.
  const Piece& next();
  void release();

 private:
  void produce();

  GuideInput input_;
  Piece pieces_[kPieces];
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t filled_ = 0, taken_ = 0;  // pieces handed over and given back, counted from the start
  bool stopping_ = false;
  std::thread thread_;
};
