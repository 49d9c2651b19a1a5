#pragma once
#include "catalogue/records.h"
#include "playlists/playlist.h"
#include "playlists/playlist_channels.h"

#include <QString>

#include <vector>

// A channel to export, with what its playlist said of it beyond what a channel holds (empty for
// the catalogue's and the user's channels).
struct ChannelToExport {
  Channel channel;
  ChannelExtras extras;
};

// The channels as playlist entries, in that order. A channel a playlist gave the list is its entry
// again, every field as it was read, from the source's copy in `app_data` (read here: call this off
// the GUI thread). When there is no copy or it no longer holds the channel, and for the catalogue's
// channels, the entry is made of what the list keeps: the name as title, the stream address, the
// genre as group title, radio for the Radio group, and from the extras the request headers, the
// guide id, the channel number and the guide shift. Throws PlaylistError past the bounds of the
// texts a playlist holds.
Playlist playlist_of_channels(const std::vector<ChannelToExport>& channels, const QString& app_data = {});
// The catalogue's channels at the given positions of the channel array.
Playlist playlist_of_channels(const std::vector<Channel>& channels, const std::vector<int>& positions);

// Where an export chosen as `chosen` is written: a name without an extension gets ".m3u".
QString playlist_export_path(const QString& chosen);
