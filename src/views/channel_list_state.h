#pragma once
#include "catalogue/records.h"

#include <vector>

// The catalogue as the channel list shows it: which channels, in which order the last sort left
// them, and where the next search starts. The views, the services and the player work on this;
// the shell's program state (shell/app_state.h) adds what only the program as a whole knows.
struct ChannelListState {
  Catalogue catalogue;
  std::vector<int> visible;  // row r of the channel list shows catalogue.channels[visible[r]]
  bool sort_flag = false;    // direction shared by all sort callers
  int last_sort_column = 0;  // column of the last sort
  int search_position = 0;   // row the next search starts from
};

// The channel-array position of the channel in `row` of the list, or -1 when the row shows none
// (no row selected, a row past the list, or an entry outside the channel array).
inline int channel_position(const ChannelListState& state, int row) {
  if (row < 0 || static_cast<size_t>(row) >= state.visible.size()) return -1;
  const int position = state.visible[static_cast<size_t>(row)];
  if (position < 0 || static_cast<size_t>(position) >= state.catalogue.channels.size()) return -1;
  return position;
}
