#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// Where one text of a guide lies in its pool.
struct GuideText {
  uint32_t offset = 0;
  uint32_t size = 0;
};

// The texts of a guide in blocks of a fixed size that are never moved or grown: a pool of a few
// hundred megabytes would otherwise hold up to twice that while a single string doubles.
class GuideTextPool {
 public:
  static constexpr size_t kBlockBits = 22;  // 4 MiB
  static constexpr size_t kBlockBytes = size_t{1} << kBlockBits;
  static constexpr size_t kMaxText = 64 * 1024;  // a text never spans two blocks
  static constexpr size_t kMaxBytes = size_t{1} << 31;

  // Appends a text (cut to kMaxText) and answers where it lies; false when the pool is full.
  bool add(std::string_view text, GuideText& where);
  std::string_view text(GuideText span) const {
    if (span.size == 0) return {};
    return {blocks_[span.offset >> kBlockBits].get() + (span.offset & (kBlockBytes - 1)), span.size};
  }
  size_t memory_bytes() const { return blocks_.size() * kBlockBytes; }

 private:
  struct BlockFree {
    void operator()(char* block) const;
  };
  std::vector<std::unique_ptr<char[], BlockFree>> blocks_;
  size_t used_in_last_ = kBlockBytes;
};
