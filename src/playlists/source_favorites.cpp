#include "playlists/source_favorites.h"

#include "catalogue/keyed_hash.h"
#include "playlists/playlist_sources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unordered_set>

std::vector<std::string> parse_source_favorites(std::string_view text) {
  std::vector<std::string> addresses;
  std::unordered_set<std::string_view, KeyedTextHash> seen;  // a file's own lines: a keyed hash
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    if (!line.empty() && seen.insert(line).second) addresses.emplace_back(line);
    start = end + 1;
  }
  return addresses;
}

std::string source_favorites_text(const std::vector<std::string>& addresses) {
  std::string text;
  for (const std::string& a : addresses) {
    // An address never holds a line end; one that did would come back as two.
    if (a.empty() || a.find_first_of("\r\n") != std::string::npos) continue;
    text += a;
    text += '\n';
  }
  return text;
}

std::vector<std::string> read_source_favorites(const QString& app_data, uint16_t id) {
  QFile file(source_favorites_path(app_data, id));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.read(static_cast<qint64>(kMaxSourceFavoritesBytes));
  return parse_source_favorites(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

QString write_source_favorites(const QString& app_data, uint16_t id, const std::vector<std::string>& addresses) {
  const QString path = source_favorites_path(app_data, id);
  QDir().mkpath(QFileInfo(path).absolutePath());
  const std::string text = source_favorites_text(addresses);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) !=
                                              static_cast<qint64>(text.size()) ||
      !file.commit())
    return path + QStringLiteral(": ") + file.errorString();
  return {};
}
