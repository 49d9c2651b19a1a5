#include "playlists/playlist_reader.h"

#include "playlists/m3u_reader.h"
#include "playlists/playlist_encoding.h"
#include "playlists/playlist_lines.h"
#include "playlists/pls_reader.h"

#include <QFile>

using namespace playlist_lines;

namespace {
PlaylistError too_large() {
  return PlaylistError("The playlist is larger than " + std::to_string(kMaxPlaylistBytes >> 20) + " MB.");
}
}  // namespace

PlaylistFormat playlist_format(std::string_view utf8) {
  size_t start = 0;
  while (start < utf8.size() && (is_blank(utf8[start]) || utf8[start] == '\r' || utf8[start] == '\n')) ++start;
  const char* const first = utf8.data() + start;
  const std::string_view line(first, static_cast<size_t>(line_end(first, utf8.data() + utf8.size()) - first));
  return equals_nocase(trim(line), "[playlist]") ? PlaylistFormat::pls : PlaylistFormat::m3u;
}

Playlist read_playlist(std::string bytes, std::optional<PlaylistFormat> format) {
  if (bytes.size() > kMaxPlaylistBytes) throw too_large();
  std::string text = playlist_utf8(std::move(bytes));
  const PlaylistFormat chosen = format.value_or(playlist_format(text));
  return chosen == PlaylistFormat::pls ? read_pls(std::move(text)) : read_m3u(std::move(text));
}

Playlist read_playlist_file(const QString& path) {
  QFile file(path);
  const auto cannot_read = [&] {
    return PlaylistError("The playlist \"" + path.toStdString() +
                         "\" cannot be read: " + file.errorString().toStdString());
  };
  if (!file.open(QIODevice::ReadOnly)) throw cannot_read();
  if (!file.isSequential() && file.size() > static_cast<qint64>(kMaxPlaylistBytes)) throw too_large();
  // As far as the bound and one byte past it, whatever size the file claimed: it may have grown,
  // and a pipe claims none.
  const QByteArray bytes = file.read(static_cast<qint64>(kMaxPlaylistBytes) + 1);
  if (file.error() != QFileDevice::NoError) throw cannot_read();
  if (static_cast<size_t>(bytes.size()) > kMaxPlaylistBytes) throw too_large();
  return read_playlist(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}
