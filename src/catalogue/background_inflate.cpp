#include "catalogue/background_inflate.h"

#include <cstring>
#include <stdexcept>

BackgroundInflate::BackgroundInflate(MemoryZipReader& archive, std::vector<std::string> members)
    : archive_(archive), members_(std::move(members)), thread_([this] { inflate_all(); }) {}

BackgroundInflate::~BackgroundInflate() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

std::unique_ptr<char[]> BackgroundInflate::free_buffer() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stopping_ || !spare_.empty() || buffers_made_ < kPiecesAhead; });
  if (stopping_) return {};
  if (!spare_.empty()) {
    std::unique_ptr<char[]> buffer = std::move(spare_.back());
    spare_.pop_back();
    return buffer;
  }
  ++buffers_made_;
  lock.unlock();
  return std::make_unique_for_overwrite<char[]>(kPiece);
}

void BackgroundInflate::hand_over(Piece piece) {
  {
    const std::lock_guard lock(mutex_);
    ready_.push_back(std::move(piece));
  }
  changed_.notify_all();
}

void BackgroundInflate::inflate_all() {
  for (size_t index = 0; index < members_.size(); ++index) {
    try {
      if (!archive_.locate(members_[index])) throw std::logic_error("member vanished from the archive");
      MemberReader member(archive_);
      member.leave_crc_to_caller();
      for (;;) {
        std::unique_ptr<char[]> buffer = free_buffer();
        if (!buffer) return;
        size_t filled = 0;
        while (filled < kPiece) {
          const size_t read = member.read(buffer.get() + filled, kPiece - filled);
          if (read == 0) break;
          filled += read;
        }
        const bool ended = filled < kPiece;
        if (filled > 0) {
          hand_over(Piece{index, std::move(buffer), filled, 0, {}, 0, {}});
        } else {
          const std::lock_guard lock(mutex_);
          spare_.push_back(std::move(buffer));
        }
        if (ended) {
          // A piece cut short is the member's end: the read that answered 0 found all its bytes.
          hand_over(Piece{index, {}, 0, 0, {}, member.expected_crc(), member.name()});
          break;
        }
      }
    } catch (...) {
      hand_over(Piece{index, {}, 0, 0, std::current_exception(), 0, {}});
      return;
    }
  }
}

size_t BackgroundInflate::read(size_t index, char* into, size_t capacity) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !ready_.empty(); });
  Piece& piece = ready_.front();
  if (piece.member != index) throw std::logic_error("members read out of order");
  if (piece.error) std::rethrow_exception(piece.error);
  if (piece.size == 0) {
    if (crc_ != piece.expected_crc) throw crc_failure(piece.member_name);
    crc_ = 0;
    ready_.pop_front();
    return 0;
  }
  const size_t count = std::min(capacity, piece.size - piece.taken);
  // Copying outside the lock lets the thread hand over its next piece meanwhile; only the reader
  // ever removes the front piece, so it stays where it is.
  char* from = piece.bytes.get() + piece.taken;
  lock.unlock();
  std::memcpy(into, from, count);
  crc_ = crc32_z(crc_, reinterpret_cast<const Bytef*>(into), count);
  lock.lock();
  Piece& same = ready_.front();
  same.taken += count;
  if (same.taken == same.size) {
    spare_.push_back(std::move(same.bytes));
    ready_.pop_front();
    lock.unlock();
    changed_.notify_all();
  }
  return count;
}
