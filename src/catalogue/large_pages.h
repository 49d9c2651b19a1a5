#pragma once
#include <cstddef>

// Asks the system to back the whole 2 MiB pages inside [start, start + bytes) with large pages
// when they are first touched: filling hundreds of megabytes then costs one page fault per 2 MiB
// rather than one per 4 KiB, which on a virtual machine is most of the cost of the first touch.
// Only advice: nothing changes where the system cannot.
void advise_large_pages(void* start, size_t bytes);

inline constexpr size_t kLargePage = size_t{2} << 20;
