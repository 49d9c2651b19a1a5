#pragma once
#include "playlists/playlist.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

enum class PlaylistFormat { m3u, pls };

// PLS when the first line that is not blank is "[playlist]" (in any case), M3U otherwise.
PlaylistFormat playlist_format(std::string_view utf8);

// Reads a playlist from the bytes of its file, in any of the encodings playlist_encoding knows, as
// the format given or else as the format it has. Throws PlaylistError for more than
// kMaxPlaylistBytes, and for a file without entries whose first bytes say it is something else
// (compressed data, XML or HTML, binary data): "The file is not a playlist: ...".
Playlist read_playlist(std::string bytes, std::optional<PlaylistFormat> format = std::nullopt);

// The same from a file; throws PlaylistError when it cannot be read or is too large, without
// reading more than one byte past the bound. A file in UTF-16 or Windows-1252 is read twice, once
// to size its text and once into it, so its bytes and their conversion are never held together.
Playlist read_playlist_file(const QString& path);
