#include "shell/channel_numbers.h"

#include "shell/app_state.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {
// The sources any of whose channels have a number: the view's other channels are passed over
// without a look-up.
std::unordered_set<uint16_t> numbered_sources(const AppState& state) {
  std::unordered_set<uint16_t> sources;
  for (const ChannelExtras& extras : state.playlists.extras)
    if (extras.number != 0) sources.insert(extras.source);
  return sources;
}
}  // namespace

bool view_has_numbers(const AppState& state) {
  const std::unordered_set<uint16_t> sources = numbered_sources(state);
  if (sources.empty()) return false;
  const std::vector<Channel>& channels = state.catalogue.channels;
  return std::any_of(state.visible.begin(), state.visible.end(), [&](int position) {
    const Channel& channel = channels[static_cast<size_t>(position)];
    return sources.count(channel.source) != 0 && channel_number_for(state.playlists, channel) != 0;
  });
}

int row_of_number(const AppState& state, uint32_t number) {
  // The few channels with that number, by source and address; then the first of them in the view.
  std::vector<std::pair<uint16_t, std::string_view>> wanted;
  for (const ChannelExtras& extras : state.playlists.extras)
    if (extras.number == number) wanted.emplace_back(extras.source, extras.address.view());
  if (wanted.empty()) return -1;
  const std::vector<Channel>& channels = state.catalogue.channels;
  for (size_t row = 0; row < state.visible.size(); ++row) {
    const Channel& channel = channels[static_cast<size_t>(state.visible[row])];
    if (channel.source == 0) continue;
    for (const auto& [source, address] : wanted)
      if (channel.source == source && channel.url.view() == address) return static_cast<int>(row);
  }
  return -1;
}

std::optional<uint32_t> TypedNumber::add(int digit, int64_t now_ms) {
  if (digits_ == 0 || now_ms - last_ms_ > kDigitPause || digits_ == 9) {
    number_ = 0;
    digits_ = 0;
  }
  last_ms_ = now_ms;
  number_ = number_ * 10 + static_cast<uint64_t>(digit);
  ++digits_;
  return static_cast<uint32_t>(number_);
}
