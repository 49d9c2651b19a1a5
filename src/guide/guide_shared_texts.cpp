#include "guide/guide_shared_texts.h"

#include "catalogue/keyed_hash.h"

// Keyed: texts from a guide cannot be made to share a slot and turn each look-up into a long walk.
uint32_t GuideSharedTexts::hash_of(std::string_view text) {
  const uint64_t hash = keyed_hash(text);
  return static_cast<uint32_t>(hash ^ (hash >> 32));
}

// The slot holding `text`, or the free one where it would go; the table is never full.
size_t GuideSharedTexts::position(const GuideTextPool& pool, std::string_view text, uint32_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.text.size == 0) return at;
    if (slot.hash == hash && slot.text.size == text.size() && pool.text(slot.text) == text) return at;
  }
}

GuideText GuideSharedTexts::find(const GuideTextPool& pool, std::string_view text) const {
  if (count_ == 0 || text.empty()) return {};
  return slots_[position(pool, text, hash_of(text))].text;
}

void GuideSharedTexts::keep(const GuideTextPool& pool, std::string_view text, GuideText where) {
  if (text.empty() || where.size == 0 || count_ >= max_texts_) return;
  // At most half full, so a search soon meets a free slot.
  if ((count_ + 1) * 2 > slots_.size()) grow();
  const uint32_t hash = hash_of(text);
  Slot& slot = slots_[position(pool, text, hash)];
  if (slot.text.size != 0) return;
  slot = {hash, where};
  ++count_;
}

void GuideSharedTexts::grow() {
  std::vector<Slot> old(slots_.empty() ? size_t{1024} : slots_.size() * 2);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.text.size == 0) continue;
    size_t at = slot.hash & mask;
    while (slots_[at].text.size != 0) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}
