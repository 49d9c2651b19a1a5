#pragma once

struct AppState;
class GuideHookup;
class PlaylistFlows;

// Playlists and the programme guide: the guides a playlist names are its own among the guide's
// sources, brought up to date when the playlist is added or refreshed, listed with its name, and
// removed with it; a playlist's channels find their guide channel by the tvg-id the playlist gave
// them, and show its times moved by the hours the playlist says (tvg-shift).
void connect_playlist_guides(const AppState& state, PlaylistFlows& playlists, GuideHookup& guide);
