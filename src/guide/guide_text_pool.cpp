#include "guide/guide_text_pool.h"

#include <cstring>

bool GuideTextPool::add(std::string_view text, GuideText& where) {
  where = {};
  if (text.empty()) return true;
  if (text.size() > kMaxText) text = text.substr(0, kMaxText);
  if (used_in_last_ + text.size() > kBlockBytes) {
    if ((blocks_.size() + 1) * kBlockBytes > kMaxBytes) return false;
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
    used_in_last_ = 0;
  }
  std::memcpy(blocks_.back().get() + used_in_last_, text.data(), text.size());
  where.offset = static_cast<uint32_t>((blocks_.size() - 1) * kBlockBytes + used_in_last_);
  where.size = static_cast<uint32_t>(text.size());
  used_in_last_ += text.size();
  return true;
}
