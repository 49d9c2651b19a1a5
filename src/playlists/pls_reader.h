#pragma once
#include "playlists/playlist.h"

#include <string>

// Reads a PLS playlist from its UTF-8 text: FileN=address with TitleN= and LengthN= of the same
// number make an entry (request headers may follow the address behind a "|", as in M3U); entries follow their numbers, which may have gaps. Keys are compared
// without regard to ASCII case; section headers, comments (";", "#"), NumberOfEntries, Version and
// keys of no entry are passed over. Skipped and counted: a line that is not key=value, a FileN,
// TitleN or LengthN without a usable number, a number given a second File or Title, a Title or
// Length without its File, and a line longer than kMaxPlaylistLineBytes; the builder's rules skip
// entries too.
Playlist read_pls(std::string utf8);
