#pragma once
#include "guide/guide_wanted_channels.h"

struct AppState;

// The names of every channel in the list and the tvg-ids its playlists give, for the guides to keep
// the programmes of these channels only. GUI thread; a million channels cost a copy of their names.
UserChannelNames user_channel_names(const AppState& state);
