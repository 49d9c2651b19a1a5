#pragma once
#include "views/channel_list_state.h"

// Process-wide state of the running program; the main window owns the single instance and hands
// references to the functions that work on it (those below the shell take the ChannelListState
// or the Catalogue part of it).
struct AppState : ChannelListState {
  bool outdated = false;  // the catalogue is missing or stale: offer a download
};
