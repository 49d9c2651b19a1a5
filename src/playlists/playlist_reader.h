#pragma once
#include "playlists/playlist.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

enum class PlaylistFormat { m3u, pls };

// PLS when the first line that is not blank is "[playlist]" (in any case), M3U otherwise.
PlaylistFormat playlist_format(std::string_view utf8);

// Reads a playlist from the bytes of its file, in any of the encodings playlist_utf8 knows, as the
// format given or else as the format it has. Throws PlaylistError for more than kMaxPlaylistBytes.
Playlist read_playlist(std::string bytes, std::optional<PlaylistFormat> format = std::nullopt);

// The same from a file; throws PlaylistError when it cannot be read or is too large, without
// reading more than one byte past the bound.
Playlist read_playlist_file(const QString& path);
