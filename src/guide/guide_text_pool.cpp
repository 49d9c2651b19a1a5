#include "guide/guide_text_pool.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr size_t kHugePageBytes = size_t{2} << 20;

// A block on whole huge pages where the system offers them: hundreds of megabytes of texts are
// otherwise written in at a page fault every 4 KiB.
char* new_block(size_t bytes) {
  auto* block = static_cast<char*>(std::aligned_alloc(kHugePageBytes, bytes));
  if (!block) throw std::bad_alloc();
  madvise(block, bytes, MADV_HUGEPAGE);
  return block;
}
}  // namespace

void GuideTextPool::BlockFree::operator()(char* block) const { std::free(block); }

bool GuideTextPool::add(std::string_view text, GuideText& where) {
  where = {};
  if (text.empty()) return true;
  if (text.size() > kMaxText) text = text.substr(0, kMaxText);
  if (used_in_last_ + text.size() > kBlockBytes) {
    if ((blocks_.size() + 1) * kBlockBytes > kMaxBytes) return false;
    std::unique_ptr<char[], BlockFree> block(new_block(kBlockBytes));
    blocks_.push_back(std::move(block));
    used_in_last_ = 0;
  }
  std::memcpy(blocks_.back().get() + used_in_last_, text.data(), text.size());
  where.offset = static_cast<uint32_t>((blocks_.size() - 1) * kBlockBytes + used_in_last_);
  where.size = static_cast<uint32_t>(text.size());
  used_in_last_ += text.size();
  return true;
}
