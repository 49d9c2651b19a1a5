#include "guide/guide_shared_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Enough texts to grow the table several times, with look-alikes: same letters in another order,
// one a prefix of another, and ones that differ only at their end.
std::vector<std::string> texts(int count) {
  std::vector<std::string> all;
  for (int i = 0; i < count; ++i) all.push_back("news " + std::to_string(i));
  all.push_back("news 1 ");
  all.push_back("1 news");
  all.push_back("news");
  return all;
}
}  // namespace

TEST(GuideSharedTexts, FindsEachTextKeptAndNoOtherAndStopsKeepingAtItsBound) {
  GuideTextPool pool;
  const std::vector<std::string> kept = texts(20'000);
  GuideSharedTexts shared(kept.size());
  std::vector<GuideText> where(kept.size());
  for (size_t i = 0; i < kept.size(); ++i) {
    ASSERT_EQ(shared.find(pool, kept[i]).size, 0u) << kept[i];
    ASSERT_TRUE(pool.add(kept[i], where[i]));
    shared.keep(pool, kept[i], where[i]);
  }
  for (size_t i = 0; i < kept.size(); ++i) {
    const GuideText found = shared.find(pool, kept[i]);
    ASSERT_EQ(found.offset, where[i].offset) << kept[i];
    ASSERT_EQ(pool.text(found), kept[i]);
  }
  for (const char* other : {"", "news 20000", "news 1  ", "ews 1", "news  1"}) EXPECT_EQ(shared.find(pool, other).size, 0u) << other;

  // Full: a text kept once more is still found where it was first, a new one is not kept.
  GuideText again, extra;
  ASSERT_TRUE(pool.add("news 7", again) && pool.add("one too many", extra));
  shared.keep(pool, "news 7", again);
  shared.keep(pool, "one too many", extra);
  EXPECT_EQ(shared.find(pool, "news 7").offset, where[7].offset);
  EXPECT_EQ(shared.find(pool, "one too many").size, 0u);
  EXPECT_EQ(shared.size(), kept.size());
}
