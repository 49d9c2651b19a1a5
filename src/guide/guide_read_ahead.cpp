#include "guide/guide_read_ahead.h"

#include <exception>

namespace {
const char* const kNoMemory = "There is not enough memory to read the guide.";
}

GuideReadAhead::GuideReadAhead(GuideInput::RawRead raw) : input_(std::move(raw)), thread_([this] { produce(); }) {}

GuideReadAhead::~GuideReadAhead() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void GuideReadAhead::produce() {
  for (size_t index = 0;; ++index) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || index - taken_ < kPieces; });
      if (stopping_) return;
    }
    // The slot is the producer's alone until it is handed over below.
    Piece& piece = pieces_[index % kPieces];
    try {
      piece.size = input_.read(piece.bytes.get(), kPieceBytes);
      piece.source_bytes = input_.source_bytes_read();
      piece.problem = input_.problem();
    } catch (const std::exception&) {
      // Nothing may leave the thread: the reader is told, as of any other fault of the source.
      piece.size = 0;
      piece.problem = kNoMemory;
    }
    {
      const std::lock_guard lock(mutex_);
      ++filled_;
    }
    changed_.notify_all();
    if (piece.size == 0) return;
  }
}

const GuideReadAhead::Piece& GuideReadAhead::next() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return filled_ > taken_; });
  return pieces_[taken_ % kPieces];
}

void GuideReadAhead::release() {
  {
    const std::lock_guard lock(mutex_);
    ++taken_;
  }
  changed_.notify_all();
}
