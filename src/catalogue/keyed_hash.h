#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A hash of text from outside (guides, playlists) that nobody can steer: SipHash-1-3 under a key
// drawn at random once per run. With an unkeyed hash, keys crafted to share a slot turn every
// table look-up into a walk along all of them; here the slots of a key cannot be known ahead.
// SipHash with the given numbers of compression and finalisation rounds (2 and 4 for the
// published test vectors).
uint64_t siphash(std::string_view bytes, uint64_t key0, uint64_t key1, int compression_rounds, int final_rounds);
uint64_t keyed_hash(std::string_view bytes);

// For unordered containers keyed by text; finds std::string keys by string_view without a copy.
struct KeyedTextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return static_cast<size_t>(keyed_hash(text)); }
  size_t operator()(const std::string& text) const { return static_cast<size_t>(keyed_hash(text)); }
};
