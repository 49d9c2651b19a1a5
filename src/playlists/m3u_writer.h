#pragma once
#include "playlists/playlist.h"

#include <string>

// The playlist as extended M3U in UTF-8 without a byte-order mark, every line ended by CR LF:
//   #EXTM3U, with url-tvg="a,b" when the playlist names guides
//   #EXTINF:<duration> tvg-id="" tvg-name="" tvg-logo="" group-title="" radio="true",<title>
//     (only the attributes the entry has)
//   #EXTVLCOPT:http-user-agent=<user agent>     when it has one
//   #EXTVLCOPT:http-referrer=<referrer>         when it has one
//   <address>
// M3U knows no escapes: a double quote in an attribute becomes a single quote, and a line end in
// any text a space. What read_m3u makes of the text is the playlist again. Throws PlaylistError
// for a playlist the reader would refuse or cut (over kMaxPlaylistBytes or kMaxPlaylistEntries).
std::string write_extended_m3u(const Playlist& playlist);
