#pragma once
#include "playlists/playlist.h"

#include <ostream>

// A text listing of a playlist as read, one entry a line with TAB-separated fields:
//   <title> <address> <group title> <radio 0/1> <tvg-id> <tvg-logo> <user agent> <referrer>
//   <channel number, empty when none> <guide shift in hours> <other request headers>
// the other headers as "Name: value" apart by LF (escaped as \n); then the line "skipped <count>"
// with the number of lines the reader could not use. Texts are written as catalogue dumps write
// them: UTF-8, with backslash, TAB, CR and LF escaped.
void write_playlist_listing(std::ostream& out, const Playlist& playlist);
