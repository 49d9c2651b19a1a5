#pragma once
#include "playlists/playlist.h"

#include <string>

// The playlist as extended M3U in UTF-8 without a byte-order mark, every line ended by CR LF:
//   #EXTM3U, with url-tvg="a,b" when the playlist names guides and tvg-shift="" when it has one
//   #EXTINF:<duration> tvg-id="" tvg-name="" tvg-logo="" tvg-country="" tvg-language=""
//     tvg-chno="" tvg-shift="" group-title="" radio="true",<title>
//     (only the attributes the entry has; its guide shift when it is not the playlist's)
//   #EXTVLCOPT:http-user-agent=<user agent>     when it has one
//   #EXTVLCOPT:http-referrer=<referrer>         when it has one
//   #EXTVLCOPT:http-origin=, http-cookie=, http-header=<Name: value>   for each other header
//   <address>
// M3U knows no escapes: a double quote in an attribute becomes a single quote, and a line end in
// any text a space. What read_m3u makes of the text is the playlist again. Throws PlaylistError
// for a playlist the reader would refuse or cut (over kMaxPlaylistBytes or kMaxPlaylistEntries).
std::string write_extended_m3u(const Playlist& playlist);
