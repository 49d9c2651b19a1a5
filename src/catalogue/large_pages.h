#pragma once
#include <cstddef>
#include <memory>

inline constexpr size_t kLargePage = size_t{2} << 20;

// Asks the system to back the whole 2 MiB pages inside [start, start + bytes) with large pages
// when they are first touched: filling hundreds of megabytes then costs one page fault per 2 MiB
// rather than one per 4 KiB, which on a virtual machine is most of the cost of the first touch.
// Only advice: nothing changes where the system cannot.
void advise_large_pages(void* start, size_t bytes);

// Fresh memory of `bytes` (rounded up to whole large pages), aligned to a large page and advised as
// above, its content zero until written. Throws std::bad_alloc when the system refuses.
char* map_large_pages(size_t bytes);
void unmap_large_pages(char* start, size_t bytes);

// A buffer of such memory, for a file read whole.
class LargePageBuffer {
 public:
  explicit LargePageBuffer(size_t bytes) : data_(bytes ? map_large_pages(bytes) : nullptr), size_(bytes) {}
  ~LargePageBuffer() {
    if (data_) unmap_large_pages(data_, size_);
  }
  LargePageBuffer(const LargePageBuffer&) = delete;
  LargePageBuffer& operator=(const LargePageBuffer&) = delete;

  char* data() { return data_; }
  size_t size() const { return size_; }

 private:
  char* data_;
  size_t size_;
};
