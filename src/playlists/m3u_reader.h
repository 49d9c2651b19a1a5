#pragma once
#include "playlists/playlist.h"

#include <string>

// Reads an M3U playlist, extended or plain, from its UTF-8 text:
// - every line that is not blank and does not start with "#" is an entry's address;
// - #EXTINF:duration attributes,title describes the entry of the next address (tvg-id, tvg-name,
//   tvg-logo, tvg-country, tvg-language, group-title, radio); #EXTGRP:group gives it a group when it names none itself, and
//   #EXTVLCOPT:http-user-agent= and http-referrer= its HTTP options; each applies to the next
//   address only, wherever it stands before it;
// - url-tvg and x-tvg-url of #EXTM3U name programme guides, several apart by commas;
// - any other line starting with "#" is a comment. Names of directives and attributes are
//   compared without regard to ASCII case.
// An #EXTINF without an address before the next #EXTINF or the end, and a line longer than
// kMaxPlaylistLineBytes, are skipped and counted, as the builder's rules skip entries.
Playlist read_m3u(std::string utf8);
