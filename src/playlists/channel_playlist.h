#pragma once
#include "catalogue/records.h"
#include "playlists/playlist.h"

#include <vector>

// The channels at the given positions of the channel array as playlist entries, in that order:
// the name as title, the stream address, the genre as group title, radio for the Radio group.
// The catalogue knows no guide ids or logos, so they stay empty.
Playlist playlist_of_channels(const std::vector<Channel>& channels, const std::vector<int>& positions);
