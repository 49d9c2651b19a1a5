#pragma once

struct AppState;
class GuideHookup;
class PlaylistFlows;

// Playlists and the programme guide: the guides a playlist names join the guide's sources when the
// playlist is added or refreshed, and a playlist's channels find their guide channel by the tvg-id
// the playlist gave them.
void connect_playlist_guides(const AppState& state, PlaylistFlows& playlists, GuideHookup& guide);
