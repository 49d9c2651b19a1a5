#include "guide/guide_sources.h"

#include "catalogue/catalogue_paths.h"
#include "playlists/playlist.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace {
const QString kPlaylistMark = QStringLiteral("playlist\t");
constexpr qint64 kMaxSourcesFileBytes = 1 << 20;
}  // namespace

bool is_web_guide(const QString& location) {
  const QString scheme = QUrl(location).scheme().toLower();
  return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QString guide_sources_path(const QString& app_data) {
  return catalogue_folder(app_data) + QStringLiteral("guide sources.txt");
}

std::vector<GuideSource> load_guide_sources(const QString& path) {
  std::vector<GuideSource> sources;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSourcesFileBytes) return sources;
  for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
    const bool from_playlist = line.startsWith(kPlaylistMark);
    const QString location = (from_playlist ? line.mid(kPlaylistMark.size()) : line).trimmed();
    if (!location.isEmpty()) add_guide_source(sources, location, from_playlist);
  }
  return sources;
}

bool save_guide_sources(const QString& path, const std::vector<GuideSource>& sources) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  for (const GuideSource& source : sources)
    file.write(((source.from_playlist ? kPlaylistMark : QString()) + source.location + QLatin1Char('\n')).toUtf8());
  return file.commit();
}

bool add_guide_source(std::vector<GuideSource>& sources, const QString& location, bool from_playlist) {
  const QString trimmed = location.trimmed();
  // A line end would split the source in the file.
  if (trimmed.isEmpty() || trimmed.contains(QLatin1Char('\n')) || trimmed.contains(QLatin1Char('\r'))) return false;
  for (const GuideSource& source : sources)
    if (source.location == trimmed) return false;
  sources.push_back({trimmed, from_playlist});
  return true;
}

bool remove_guide_source(std::vector<GuideSource>& sources, const QString& location) {
  const auto before = sources.size();
  std::erase_if(sources, [&](const GuideSource& source) { return source.location == location; });
  return sources.size() != before;
}

int add_playlist_guides(std::vector<GuideSource>& sources, const Playlist& playlist) {
  int added = 0;
  for (const std::string& address : playlist.guide_addresses) {
    const QString location = QString::fromStdString(address);
    if (is_web_guide(location) && add_guide_source(sources, location, true)) ++added;
  }
  return added;
}

QString guide_copy_path(const GuideSource& source, const QString& cache_folder) {
  if (!is_web_guide(source.location)) return source.location;
  const QByteArray name = QCryptographicHash::hash(source.location.toUtf8(), QCryptographicHash::Sha1).toHex();
  return cache_folder + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".guide");
}

QString guide_cache_folder() {
  return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/guides");
}
