#include "catalogue/text_arena.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {
std::string text_number(size_t i) { return "text " + std::to_string(i) + std::string(i % 97, 'x'); }
}  // namespace

// Texts written into an arena live on their own: after the arena, through copies made anywhere,
// and their chunks go back to the system once the last text of each is gone.
TEST(TextArena, TextsOutliveTheArenaAndTheirChunksGoWithTheLastText) {
  const uint64_t chunks_before = TextArena::chunks_alive();
  std::vector<PackedText> texts;
  {
    TextArena arena;
    // Enough to fill several chunks; a text too long for a chunk and empty text among them.
    for (size_t i = 0; i < 60'000; ++i) texts.push_back(arena.add(text_number(i)));
    texts.push_back(arena.add(std::string(200'000, 'L')));
    texts.push_back(arena.add(""));
    EXPECT_GT(arena.reserved_bytes(), uint64_t{TextArena::kSmallestChunk});
    EXPECT_GT(TextArena::chunks_alive(), chunks_before + 1);
  }
  ASSERT_EQ(texts.size(), 60'002u);
  for (size_t i = 0; i < 60'000; ++i) ASSERT_EQ(texts[i].view(), text_number(i)) << i;
  EXPECT_EQ(texts[60'000].view(), std::string(200'000, 'L'));
  EXPECT_TRUE(texts[60'001].empty());

  // A copy made and dropped on another thread, and copies kept after the originals are gone.
  std::vector<PackedText> kept;
  std::thread([&] {
    std::vector<PackedText> copies(texts.begin(), texts.end());
    for (size_t i = 0; i < 60'000; i += 1000) kept.push_back(copies[i]);
  }).join();
  texts.clear();
  for (size_t k = 0; k < kept.size(); ++k) ASSERT_EQ(kept[k].view(), text_number(k * 1000)) << k;
  EXPECT_GT(TextArena::chunks_alive(), chunks_before);

  kept.clear();
  EXPECT_EQ(TextArena::chunks_alive(), chunks_before);
}

// A chunk no text of which survives goes back when the arena moves on, not only at its end.
TEST(TextArena, AChunkWithNoTextLeftGoesWhenTheArenaMovesOn) {
  const uint64_t chunks_before = TextArena::chunks_alive();
  TextArena arena;
  const std::string piece(1000, 'p');
  for (size_t i = 0; i < TextArena::kSmallestChunk / 1000 * 3; ++i) arena.add(piece);  // each dropped at once
  EXPECT_EQ(TextArena::chunks_alive(), chunks_before + 1);  // only the chunk being written
  PackedText last = arena.add(piece);
  EXPECT_EQ(last.view(), piece);
}
