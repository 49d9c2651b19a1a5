#pragma once
#include "guide/guide_text_pool.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The texts of a pool that are worth finding again by their letters (titles repeat all through a
// guide), in one flat table that answers a lookup with about one memory access: a million titles in
// a table of nodes cost a cache miss or two at every programme.
class GuideSharedTexts {
 public:
  explicit GuideSharedTexts(size_t max_texts) : max_texts_(max_texts) {}

  // Where `text` already lies in `pool`, or an empty span when it was not kept here.
  GuideText find(const GuideTextPool& pool, std::string_view text) const;
  // Remembers where `text` lies; once max_texts are held, further texts are not.
  void keep(const GuideTextPool& pool, std::string_view text, GuideText where);
  size_t size() const { return count_; }
  size_t memory_bytes() const { return slots_.capacity() * sizeof(Slot); }

 private:
  struct Slot {
    uint32_t hash = 0;
    GuideText text;  // size 0: free
  };
  static uint32_t hash_of(std::string_view text);
  size_t position(const GuideTextPool& pool, std::string_view text, uint32_t hash) const;
  void grow();

  size_t max_texts_;
  size_t count_ = 0;
  std::vector<Slot> slots_;
};
