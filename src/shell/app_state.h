#pragma once
#include "playlists/playlist_channels.h"
#include "views/channel_list_state.h"

// Process-wide state of the running program; the main window owns the single instance and hands
// references to the functions that work on it (those below the shell take the ChannelListState
// or the Catalogue part of it).
struct AppState : ChannelListState {
  LoadedSources playlists;  // the playlists whose channels the list holds beside the catalogue's
  bool outdated = false;  // the catalogue is missing or stale: offer a download
};
