#pragma once
#include <cstddef>
#include <cstdint>

// What one load of the channel database may cost, in bytes: the text it inflates plus the records
// it keeps. Deflate lets a file of a few kilobytes stand for gigabytes of text, so the allowance
// grows with the size of the file: a real catalogue costs about ten times its file, a hostile one
// is refused long before it can exhaust the machine.
class LoadAllowance {
 public:
  static constexpr uint64_t kBase = uint64_t{8} << 20;
  static constexpr uint64_t kPerFileByte = 40;

  explicit LoadAllowance(uint64_t file_bytes);

  // Takes bytes from the allowance; throws CatalogueError once the load has cost more than it.
  void charge(uint64_t bytes);
  uint64_t left() const { return limit_ - spent_; }

 private:
  uint64_t file_bytes_;
  uint64_t limit_;
  uint64_t spent_ = 0;
};

// What a record's non-empty text costs beyond its bytes: its header and alignment in a chunk of
// the load's text arena.
constexpr uint64_t kTextBlockCost = 16;
