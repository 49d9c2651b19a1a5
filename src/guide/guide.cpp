#include "guide/guide.h"

#include <algorithm>

size_t Guide::programme_count() const {
  size_t count = 0;
  for (const GuideChannel& channel : channels) count += channel.programmes.size();
  return count;
}

size_t Guide::memory_bytes() const {
  size_t bytes = texts.memory_bytes() + channels.capacity() * sizeof(GuideChannel) +
                 names.capacity() * sizeof(GuideDisplayName);
  for (const GuideChannel& channel : channels) bytes += channel.programmes.capacity() * sizeof(GuideProgramme);
  return bytes;
}

namespace {
// The first programme that has not ended by `when` (ignoring ones that end where they start).
std::vector<GuideProgramme>::const_iterator first_running(const std::vector<GuideProgramme>& programmes,
                                                          int64_t when) {
  auto it = std::upper_bound(programmes.begin(), programmes.end(), when,
                             [](int64_t time, const GuideProgramme& p) { return time < p.start; });
  if (it != programmes.begin() && std::prev(it)->stop > when) --it;
  return it;
}
}  // namespace

std::span<const GuideProgramme> programmes_between(const GuideChannel& channel, int64_t from, int64_t to) {
  const auto& programmes = channel.programmes;
  const auto first = first_running(programmes, from);
  const auto last = std::lower_bound(first, programmes.end(), to,
                                     [](const GuideProgramme& p, int64_t time) { return p.start < time; });
  return {first, last};
}

NowAndNext now_and_next(const GuideChannel& channel, int64_t when) {
  const auto& programmes = channel.programmes;
  auto it = first_running(programmes, when);
  NowAndNext answer;
  if (it == programmes.end()) return answer;
  if (it->start <= when && it->stop > when) {
    answer.now = &*it;
    ++it;
  }
  if (it != programmes.end()) answer.next = &*it;
  return answer;
}
