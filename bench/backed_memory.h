#pragma once
// Memory the system has at hand before a timed step.
//
// A virtual machine may hand the memory its system has kept free for a few seconds back to its
// host (free page reporting); the first touch of such memory then waits for the host, here about
// 1.5 ms per MB, twenty times what zeroing it costs. That is the machine's cost, not the program's,
// and it lands at random on whichever step comes after a pause. The floors' buffers are touched
// before they are timed; touching and freeing as much memory as a step is about to take, right
// before it, gives the step memory the system has at hand as well. The step still pays for its own
// page faults and zeroing, as on a machine without a host.
#include <sys/mman.h>

#include <cstddef>

namespace bench {
inline void have_memory_at_hand(size_t bytes) {
  void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return;
  // In large pages, as the loaders take their big blocks; smaller requests are served from them too.
  madvise(block, bytes, MADV_HUGEPAGE);
  for (size_t at = 0; at < bytes; at += 4096) static_cast<volatile char*>(block)[at] = 0;
  munmap(block, bytes);
}
}  // namespace bench
