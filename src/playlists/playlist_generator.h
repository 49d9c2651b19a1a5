#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A synthetic but realistic extended M3U for tests and benchmarks: names in Latin, Cyrillic, Greek,
// Arabic and CJK letters, some 200 groups, logos on half the entries and guide ids on a third, a few radio
// entries and a few with HTTP options, every address different. About 150 bytes an entry, like the
// public lists of tens of thousands of channels. The same arguments always give the same bytes.
std::string generate_extended_m3u(size_t entries, uint64_t seed = 1);
