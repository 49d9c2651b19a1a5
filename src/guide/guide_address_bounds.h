#pragma once
#include <cstddef>

// Bounds on the guides a list of sources may hold: what a playlist may name is held to them too,
// so that every guide a playlist names can join the list. Real lists name a guide or two,
// community lists a hundred or so.
inline constexpr size_t kMaxGuideAddresses = 1000;
inline constexpr size_t kMaxGuideAddressBytes = 2048;
