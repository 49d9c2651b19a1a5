#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Byte searches for the loader's hot loops: a catalogue of a million channels is some 170 MB of
// text, and the lines and fields are short enough that a library call per search costs more
// than the search itself.
namespace byte_scan {

// Bit i set where p[i] equals c, for 16 bytes.
#if defined(__SSE2__)
inline uint32_t mask16(const char* p, char c) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}
#else
inline uint32_t mask16(const char* p, char c) {
  uint32_t mask = 0;
  for (int i = 0; i < 16; ++i) mask |= static_cast<uint32_t>(p[i] == c) << i;
  return mask;
}
#endif

// Calls found(position) for every byte in [p, end) equal to c, in order.
template <typename Found>
inline void for_each(const char* p, const char* end, char c, Found&& found) {
  for (; end - p >= 16; p += 16) {
    for (uint32_t mask = mask16(p, c); mask; mask &= mask - 1) found(p + __builtin_ctz(mask));
  }
  for (; p != end; ++p)
    if (*p == c) found(p);
}

}  // namespace byte_scan
