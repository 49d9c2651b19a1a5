#pragma once
#include "catalogue/records.h"

#include <QString>

#include <vector>

// Process-wide state of the running program; the main window owns the single instance and hands
// references to the free functions that work on it.
struct AppState {
  Catalogue catalogue;
  std::vector<int> visible;     // row r of the channel list shows catalogue.info.channels[visible[r]]
  bool sort_flag = false;       // direction shared by all sort callers
  int last_sort_column = 0;     // column of the last sort
  int search_position = 0;      // row the next search starts from
  bool outdated = false;        // the catalogue is missing or stale: offer a download
  QString app_data;             // user's data folder, fixed for the run
  bool user_files_loaded = false;  // favourites and user channels were read in this run
};

// The channel-array position of the channel in `row` of the list, or -1 when the row shows none
// (no row selected, a row past the list, or an entry outside the channel array).
inline int channel_position(const AppState& state, int row) {
  if (row < 0 || static_cast<size_t>(row) >= state.visible.size()) return -1;
  const int position = state.visible[static_cast<size_t>(row)];
  if (position < 0 || static_cast<size_t>(position) >= state.catalogue.info.channels.size()) return -1;
  return position;
}
