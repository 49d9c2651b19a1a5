#include "catalogue/page_populator.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {
bool resident(char* at) {
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  unsigned char in_core = 0;
  const auto start = reinterpret_cast<uintptr_t>(at) & ~(page - 1);
  return mincore(reinterpret_cast<void*>(start), 1, &in_core) == 0 && (in_core & 1) != 0;
}

bool becomes_resident(char* at) {
  for (int i = 0; i < 1000 && !resident(at); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return resident(at);
}
}  // namespace

// The pages ahead of the writer are made resident, the rest of the region is not touched, and
// nothing written is changed.
TEST(PagePopulator, FaultsInJustAheadOfTheWriterAndKeepsWhatIsWritten) {
  constexpr size_t kRegion = size_t{64} << 20;
  constexpr size_t kWritten = size_t{1} << 20;
  void* mapped = mmap(nullptr, kRegion, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(mapped, MAP_FAILED);
  madvise(mapped, kRegion, MADV_NOHUGEPAGE);  // pages of the smallest size, so that the edge is exact
  char* region = static_cast<char*>(mapped);
  std::memset(region, 'x', kWritten);
  const size_t edge = kWritten + PopulateAhead::kAhead + PopulateAhead::kStep;
  {
    PagePopulator pages;
    PopulateAhead ahead;
    ahead.start(&pages, region, kRegion);
    ahead.reached(kWritten);
    ASSERT_TRUE(becomes_resident(region + edge - 1)) << "the last page of the window";
    ahead.reached(kWritten + 1);  // still well inside the window: nothing more is asked for
  }
  EXPECT_TRUE(resident(region + kWritten));
  EXPECT_FALSE(resident(region + edge));
  EXPECT_FALSE(resident(region + kRegion - 1));
  EXPECT_EQ(region[0], 'x');
  EXPECT_EQ(region[kWritten - 1], 'x');
  EXPECT_EQ(region[kWritten], 0);
  munmap(mapped, kRegion);
}
