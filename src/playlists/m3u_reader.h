#pragma once
#include "playlists/playlist.h"

#include <string>

// Reads an M3U playlist, extended or plain, from its UTF-8 text:
// - every line that is not blank and does not start with "#" is an entry's address; request
//   headers may follow it behind a "|" (request_headers.h);
// - #EXTINF:duration attributes,title describes the entry of the next address (tvg-id, tvg-name,
//   tvg-logo, tvg-country, tvg-language, group-title, radio, tvg-chno, tvg-shift, and its request
//   headers http-user-agent or user-agent, http-referrer or http-referer); #EXTGRP:group gives it a
//   group when it names none itself; #EXTVLCOPT:http-user-agent=, http-referrer= (or
//   http-referer=), http-origin=, http-cookie= and http-header=Name: value, and #EXTHTTP:{json},
//   its request headers; each applies to the next address only, wherever it stands before it. The
//   first of a header's name counts; a value with a control character is not used, and counted;
// - url-tvg and x-tvg-url of #EXTM3U name programme guides, several apart by commas, and its
//   tvg-shift moves the guide times of the entries that give none;
// - any other line starting with "#" is a comment. Names of directives and attributes are
//   compared without regard to ASCII case.
// An #EXTINF without an address before the next #EXTINF or the end, and a line longer than
// kMaxPlaylistLineBytes, are skipped and counted, as the builder's rules skip entries.
Playlist read_m3u(std::string utf8);
