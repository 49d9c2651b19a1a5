#include "playlists/playlist_reader.h"

#include "playlists/m3u_reader.h"
#include "playlists/playlist_encoding.h"
#include "playlists/playlist_lines.h"
#include "playlists/pls_reader.h"

#include <QFile>

#include <algorithm>

using namespace playlist_lines;

namespace {
PlaylistError too_large() {
  return PlaylistError("The playlist is larger than " + std::to_string(kMaxPlaylistBytes >> 20) + " MB.");
}

// What the file holds instead of a playlist, when its first bytes say so: a file of another kind
// named .m3u is told as such, not as thousands of lines that could not be used.
std::string foreign_content(std::string_view bytes) {
  static constexpr struct {
    std::string_view magic;
    const char* what;
  } kSignatures[] = {
      {"\x1F\x8B", "gzip-compressed data"},   {"PK\x03\x04", "a zip archive"},
      {"BZh", "bzip2-compressed data"},        {std::string_view("\xFD" "7zXZ\0", 6), "xz-compressed data"},
      {"\x28\xB5\x2F\xFD", "zstd-compressed data"},
  };
  for (const auto& s : kSignatures)
    if (bytes.starts_with(s.magic)) return s.what;
  // The first character that is not blank, in whichever width the byte-order mark says.
  size_t step = 1, at = 0;
  if (bytes.starts_with("\xFF\xFE")) {
    step = 2;
    at = 2;
  } else if (bytes.starts_with("\xFE\xFF")) {
    step = 2;
    at = 3;
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    at = 3;
  }
  while (at < bytes.size() && (is_blank(bytes[at]) || bytes[at] == '\r' || bytes[at] == '\n')) at += step;
  if (at < bytes.size() && bytes[at] == '<') return "XML or HTML";
  // A text file has no NUL byte; UTF-16 has them only where its byte-order mark says so.
  if (step == 1 && bytes.substr(0, 4096).find('\0') != std::string_view::npos) return "binary data";
  return {};
}

Playlist read_text(std::string utf8, std::optional<PlaylistFormat> format, const std::string& foreign) {
  const PlaylistFormat chosen = format.value_or(playlist_format(utf8));
  Playlist playlist = chosen == PlaylistFormat::pls ? read_pls(std::move(utf8)) : read_m3u(std::move(utf8));
  if (playlist.entries.empty() && !foreign.empty())
    throw PlaylistError("The file is not a playlist: it holds " + foreign + ".");
  return playlist;
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
  const std::string foreign = foreign_content(bytes);
  const PlaylistEncoding found = playlist_encoding(bytes);
  return read_text(playlist_utf8(std::move(bytes), found), format, foreign);
}

Playlist read_playlist_file(const QString& path) {
  QFile file(path);
  const auto cannot_read = [&] {
    return PlaylistError("The playlist \"" + path.toStdString() +
                         "\" cannot be read: " + file.errorString().toStdString());
  };
  if (!file.open(QIODevice::ReadOnly)) throw cannot_read();
  if (!file.isSequential() && file.size() > static_cast<qint64>(kMaxPlaylistBytes)) throw too_large();
  // Read straight into the string as far as the size the file claimed, then on to the bound and
  // one byte past it: the file may have grown, and a pipe claims none.
  constexpr size_t kPiece = size_t{1} << 20;
  std::string bytes(file.isSequential() ? 0 : static_cast<size_t>(file.size()), '\0');
  size_t have = 0;
  while (have < bytes.size()) {
    const qint64 got = file.read(bytes.data() + have, static_cast<qint64>(bytes.size() - have));
    if (got < 0) throw cannot_read();
    if (got == 0) break;
    have += static_cast<size_t>(got);
  }
  bytes.resize(have);
  std::string more(kPiece, '\0');
  while (bytes.size() <= kMaxPlaylistBytes) {
    const qint64 got = file.read(more.data(), static_cast<qint64>(std::min(kPiece, kMaxPlaylistBytes + 1 - bytes.size())));
    if (got < 0) throw cannot_read();
    if (got == 0) break;
    bytes.append(more.data(), static_cast<size_t>(got));
  }
  if (bytes.size() > kMaxPlaylistBytes) throw too_large();

  const std::string foreign = foreign_content(bytes);
  const PlaylistEncoding found = playlist_encoding(bytes);
  if (found.encoding == TextEncoding::utf8 || file.isSequential())
    return read_text(playlist_utf8(std::move(bytes), found), std::nullopt, foreign);

  // The bytes and their conversion together would cost more than the text and its entries: only
  // the conversion's size is taken from the bytes, and the file is read once more, piece by piece,
  // into the text.
  const size_t read = bytes.size() - found.mark;
  const size_t size = Utf8Conversion::size_of(found.encoding, std::string_view(bytes).substr(found.mark));
  std::string().swap(bytes);  // assigned an empty string instead, it would keep its buffer
  std::string text(size, '\0');
  std::string& piece = more;
  std::string converted(Utf8Conversion::most_bytes(kPiece), '\0');
  Utf8Conversion conversion(found.encoding);
  const auto changed = [&] {
    return PlaylistError("The playlist \"" + path.toStdString() + "\" changed while it was read.");
  };
  if (!file.seek(static_cast<qint64>(found.mark))) throw cannot_read();
  size_t done = 0, written = 0;
  const auto put = [&](const char* end) {
    const auto length = static_cast<size_t>(end - converted.data());
    if (length > size - written) throw changed();
    std::copy(static_cast<const char*>(converted.data()), end, text.data() + written);
    written += length;
  };
  while (done < read) {
    const qint64 got = file.read(piece.data(), static_cast<qint64>(std::min(kPiece, read - done)));
    if (got < 0) throw cannot_read();
    if (got == 0) break;
    done += static_cast<size_t>(got);
    put(conversion.convert(std::string_view(piece.data(), static_cast<size_t>(got)), converted.data()));
  }
  put(conversion.finish(converted.data()));
  if (written != size) throw changed();
  return read_text(std::move(text), std::nullopt, foreign);
}
