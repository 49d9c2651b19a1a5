#include "catalogue/large_pages.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace {
size_t whole_large_pages(size_t bytes) { return (bytes + kLargePage - 1) & ~(kLargePage - 1); }
}  // namespace

void advise_large_pages(void* start, size_t bytes) {
  const auto from = reinterpret_cast<uintptr_t>(start);
  const uintptr_t begin = (from + kLargePage - 1) & ~(uintptr_t{kLargePage} - 1);
  const uintptr_t end = (from + bytes) & ~(uintptr_t{kLargePage} - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

char* map_large_pages(size_t bytes) {
  const size_t size = whole_large_pages(bytes);
  // Over-ask by one large page, then give back the head and tail that fall outside the alignment.
  const size_t asked = size + kLargePage;
  void* mapped = mmap(nullptr, asked, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t begin = (start + kLargePage - 1) & ~(uintptr_t{kLargePage} - 1);
  if (begin > start) munmap(mapped, begin - start);
  const uintptr_t end = begin + size;
  if (start + asked > end) munmap(reinterpret_cast<void*>(end), start + asked - end);
  advise_large_pages(reinterpret_cast<void*>(begin), size);
  return reinterpret_cast<char*>(begin);
}

void unmap_large_pages(char* start, size_t bytes) { munmap(start, whole_large_pages(bytes)); }
