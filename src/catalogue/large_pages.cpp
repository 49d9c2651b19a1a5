#include "catalogue/large_pages.h"

#include <sys/mman.h>

#include <cstdint>

void advise_large_pages(void* start, size_t bytes) {
  const auto from = reinterpret_cast<uintptr_t>(start);
  const uintptr_t begin = (from + kLargePage - 1) & ~(uintptr_t{kLargePage} - 1);
  const uintptr_t end = (from + bytes) & ~(uintptr_t{kLargePage} - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
