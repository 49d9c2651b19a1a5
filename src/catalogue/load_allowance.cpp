#include "catalogue/load_allowance.h"

#include "catalogue/catalogue_error.h"

#include <limits>
#include <string>

LoadAllowance::LoadAllowance(uint64_t file_bytes)
    : file_bytes_(file_bytes),
      limit_(file_bytes > (std::numeric_limits<uint64_t>::max() - kBase) / kPerFileByte
                 ? std::numeric_limits<uint64_t>::max()
                 : kBase + file_bytes * kPerFileByte) {}

void LoadAllowance::charge(uint64_t bytes) {
  if (bytes <= limit_ - spent_) {
    spent_ += bytes;
    return;
  }
  throw CatalogueError("The channel database expands to more than " + std::to_string(limit_ >> 20) +
                       " MB of text and records, far more than a real channel list of " +
                       std::to_string(file_bytes_) + " bytes holds; it is refused as damaged.");
}
