#pragma once
#include "catalogue/records.h"
#include "playlists/playlist.h"
#include "playlists/playlist_sources.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A source's entries as channels of the list, beside the catalogue's: appended to the channel
// array with their source's id in Channel::source and ids below zero, so the views, the sort, the
// search, the filter and the player treat them as any other channel, while the catalogue's and the
// user's channels (ids above zero, source 0) stay as they are and their files never see them.

// What the playlist says of an entry beyond what a channel holds: the request headers for the
// player, the guide's channel id, the logo's address and the hours its guide times are moved by.
// Only entries with any of them have one.
struct ChannelExtras {
  uint16_t source = 0;
  PackedText address;
  PackedText user_agent;
  PackedText referrer;
  PackedText headers;  // "Name: value" lines apart by LF
  PackedText tvg_id;
  PackedText logo;
  float guide_shift = 0;  // hours
  uint32_t number = 0;    // tvg-chno; 0 when none
};

struct SourceChannels {
  uint16_t source = 0;
  std::vector<Channel> channels;  // in playlist order
  std::vector<ChannelExtras> extras;
  std::vector<std::string> guide_addresses;  // the playlist's url-tvg and x-tvg-url
  // The countries and genres the entries name; a channel's country_id and genre_id are 1-based
  // places in these until it joins the list, which gives them the ids of the list's tables.
  std::vector<std::string> country_names;
  std::vector<std::string> genre_names;
  // Made by ready_to_join for the merge: the list's last sort column and flag, the channels' keys
  // and the new array's storage.
  std::pair<int, bool> sorted_for{-1, false};
  std::vector<std::string> merge_keys;
  std::vector<Channel> room;
  size_t skipped = 0;
  std::vector<SkippedLine> skip_examples;
};

// The group of an entry: the source's when it sets one, else Radio for radio="true" or a group title
// that says radio (in any case), else TV.
int32_t entry_group(const Playlist& playlist, const PlaylistEntry& entry, const PlaylistSource& source);

// Any thread. The entries as channels: names and group titles whole in any script, the group title
// as genre, favourites marked by address. Ids are given when they join the list.
SourceChannels channels_of_playlist(const Playlist& playlist, const PlaylistSource& source,
                                    const std::vector<std::string>& favorite_addresses);

// Reads the source's copy and makes its channels (read_playlist_file and channels_of_playlist);
// throws PlaylistError when the copy cannot be read.
SourceChannels read_source_channels(const QString& app_data, const PlaylistSource& source,
                                    const std::vector<std::string>& favorite_addresses);

// What the list knows of the sources besides their channels.
struct LoadedSources {
  std::vector<PlaylistSource> sources;
  bool writable = true;  // false when the list of sources could not be read nor moved aside
  std::vector<ChannelExtras> extras;  // by source, then address
};

// Joining the list in two steps, so that the window waits only for the second. Any thread: the
// fresh channels in the list's order (views/sorting.h, the list's last sort column and flag), their
// extras by address, the storage of a list of `list_size` channels and these.
void ready_to_join(SourceChannels& fresh, int last_sort_column, bool sort_flag, size_t list_size);
// The source's channels in the array are replaced by the readied `fresh`, merged in the list's
// order; every playlist channel's id is given anew, -1 downwards in array order. Answers what the
// array left behind (the source's former channels), for the caller to free where it costs nothing.
struct LeftBehind {
  std::vector<Channel> channels;
  std::vector<std::string> keys;
};
LeftBehind join_source_channels(Catalogue& catalogue, LoadedSources& loaded, SourceChannels fresh,
                                          int last_sort_column, bool sort_flag);
// The same without an order: the fresh channels follow the others (the caller sorts and rebuilds).
void replace_source_channels(Catalogue& catalogue, LoadedSources& loaded, SourceChannels fresh);
// Takes the source's channels and options out of the list.
void remove_source_channels(Catalogue& catalogue, LoadedSources& loaded, uint16_t source);
// The playlist channels of the array, to carry over into a newly loaded catalogue.
std::vector<Channel> playlist_channels_of(const std::vector<Channel>& channels);

// The addresses of the source's channels that are favourites, in array order.
std::vector<std::string> favorite_addresses(const Catalogue& catalogue, uint16_t source);

// What the playlist said of the channel beyond what it holds; null when nothing.
const ChannelExtras* channel_extras(const LoadedSources& loaded, const Channel& channel);

// The request headers the playlist gave for the channel; all empty when none.
struct HttpOptionsFound {
  std::string user_agent;
  std::string referrer;
  std::string headers;  // "Name: value" lines apart by LF
};
HttpOptionsFound http_options_for(const LoadedSources& loaded, const Channel& channel);
// The guide's id the playlist gave the channel (tvg-id); empty when none.
std::string tvg_id_for(const LoadedSources& loaded, const Channel& channel);
// The address of the channel's logo (tvg-logo); empty when none.
std::string logo_for(const LoadedSources& loaded, const Channel& channel);
// The hours the playlist moves the channel's guide times by (tvg-shift); 0 when none.
float guide_shift_for(const LoadedSources& loaded, const Channel& channel);
// The channel's number the playlist gave it (tvg-chno); 0 when none.
uint32_t channel_number_for(const LoadedSources& loaded, const Channel& channel);
