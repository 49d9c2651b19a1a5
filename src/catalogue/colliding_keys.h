#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Keys that the standard library's string hash (GNU libstdc++, 64-bit) cannot tell apart, whatever
// its seed: each is a row of 16-byte pieces, every piece one of two spellings that leave the hash's
// state the same. The pieces are bytes of any value, not text. For tests and benchmarks of tables keyed by outside text, which
// must not slow down on them. `count` keys of 16 * ceil(log2(count)) letters, `prefix` before each (with "_" up to a
// multiple of 8 bytes).
std::vector<std::string> colliding_keys(size_t count, const std::string& prefix = {});
