#pragma once
#include <cstdint>

// The report status of a channel: that of its largest report count, a tie going to the count
// that comes first in the order works fine, not working, wrong, duplicate, spam; 2 (new) when all
// are 0.
int32_t report_status(int32_t workfine, int32_t notworking, int32_t wrong, int32_t duplicate, int32_t spam);
