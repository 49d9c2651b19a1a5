#include "playlists/playlist_sources.h"

#include "catalogue/aside_path.h"
#include "catalogue/catalogue_paths.h"
#include "catalogue/records.h"
#include "playlists/playlist.h"
#include "services/remote_copy.h"
#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>
#include <set>

namespace {
const QString kSources = QStringLiteral("sources");
constexpr int kFormat = 1;

[[noreturn]] void unreadable(const std::string& why) { throw PlaylistError("The list of playlists cannot be read: " + why); }

QString text_field(const QJsonObject& o, const char* key) {
  const QJsonValue v = o.value(QLatin1String(key));
  if (v.isUndefined()) return {};
  if (!v.isString()) unreadable(std::string("\"") + key + "\" is not a text");
  return v.toString();
}

PlaylistSource source_of(const QJsonValue& value) {
  if (!value.isObject()) unreadable("an entry is not an object");
  const QJsonObject o = value.toObject();
  PlaylistSource s;
  const double id = o.value(QLatin1String("id")).toDouble(-1);
  if (id < 1 || id > 65535 || id != static_cast<double>(static_cast<int>(id))) unreadable("an entry has no valid id");
  s.id = static_cast<uint16_t>(id);
  s.name = text_field(o, "name");
  s.address = text_field(o, "address");
  s.original_path = text_field(o, "file");
  const QJsonValue group = o.value(QLatin1String("group"));
  const int32_t number = group.isUndefined() ? 0 : group.toInt(-1);
  if (number != 0 && number != kGroupTV && number != kGroupRadio && number != kGroupVideo)
    unreadable("an entry has an unknown group");
  s.group = number;
  const QString read = text_field(o, "read");
  if (!read.isEmpty()) {
    s.read_at = QDateTime::fromString(read, Qt::ISODate);
    if (!s.read_at.isValid()) unreadable("an entry has an unreadable time");
  }
  if (!s.address.isEmpty()) {
    const QString scheme = QUrl(s.address).scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
      unreadable("an entry's address is not http or https");
  }
  return s;
}

QString save_whole(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return path + QStringLiteral(": ") + file.errorString();
  return {};
}

// The lowest id neither listed nor holding files: the files of a source whose list was set aside
// stay untouched until the user has looked at them.
uint16_t free_id(const QString& app_data, const std::vector<PlaylistSource>& sources) {
  std::set<uint16_t> taken;
  for (const PlaylistSource& s : sources) taken.insert(s.id);
  for (uint32_t n = 1; n <= 65535; ++n) {
    const auto id = static_cast<uint16_t>(n);
    if (!taken.count(id) && !QFile::exists(playlist_copy_path(app_data, id)) &&
        !QFile::exists(source_favorites_path(app_data, id)))
      return id;
  }
  return 0;
}

PlaylistSource* find_mutable(std::vector<PlaylistSource>& sources, uint16_t id) {
  for (PlaylistSource& s : sources)
    if (s.id == id) return &s;
  return nullptr;
}

const QString kNoSuchSource = QStringLiteral("The playlist is no longer in the list.");

// Changes one source and writes the list; the list stays as it was when the write fails.
template <typename Change>
QString change_source(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id, Change change) {
  std::vector<PlaylistSource> next = sources;
  PlaylistSource* s = find_mutable(next, id);
  if (!s) return kNoSuchSource;
  change(*s);
  if (QString problem = write_sources(app_data, next); !problem.isEmpty()) return problem;
  sources = std::move(next);
  return {};
}
}  // namespace

QString playlists_folder(const QString& app_data) { return catalogue_folder(app_data) + QStringLiteral("playlists"); }
QString sources_index_path(const QString& app_data) { return playlists_folder(app_data) + QStringLiteral("/sources.json"); }
QString playlist_copy_path(const QString& app_data, uint16_t id) {
  return playlists_folder(app_data) + QStringLiteral("/%1.playlist").arg(id);
}
QString source_favorites_path(const QString& app_data, uint16_t id) {
  return playlists_folder(app_data) + QStringLiteral("/%1.favorites").arg(id);
}

std::string sources_index_text(const std::vector<PlaylistSource>& sources) {
  QJsonArray list;
  for (const PlaylistSource& s : sources) {
    QJsonObject o;
    o.insert(QStringLiteral("id"), s.id);
    o.insert(QStringLiteral("name"), s.name);
    if (!s.address.isEmpty()) o.insert(QStringLiteral("address"), s.address);
    if (!s.original_path.isEmpty()) o.insert(QStringLiteral("file"), s.original_path);
    if (s.group != 0) o.insert(QStringLiteral("group"), s.group);
    if (s.read_at.isValid()) o.insert(QStringLiteral("read"), s.read_at.toUTC().toString(Qt::ISODateWithMs));
    list.append(o);
  }
  QJsonObject root;
  root.insert(QStringLiteral("format"), kFormat);
  root.insert(kSources, list);
  return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

std::vector<PlaylistSource> parse_sources_index(std::string_view text) {
  if (text.size() > kMaxSourcesIndexBytes) unreadable("it is larger than 1 MiB");
  QJsonParseError error{};
  const QJsonDocument doc =
      QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
  if (error.error != QJsonParseError::NoError)
    unreadable(error.errorString().toStdString() + " at byte " + std::to_string(error.offset));
  if (!doc.isObject()) unreadable("it is not an object");
  const QJsonObject root = doc.object();
  if (root.value(QLatin1String("format")).toInt(0) != kFormat) unreadable("its format is unknown");
  const QJsonValue list = root.value(kSources);
  if (!list.isArray()) unreadable("it holds no list");
  const QJsonArray array = list.toArray();
  if (static_cast<size_t>(array.size()) > kMaxPlaylistSources) unreadable("it lists too many playlists");
  std::vector<PlaylistSource> sources;
  std::set<uint16_t> ids;
  for (const QJsonValue& value : array) {
    PlaylistSource s = source_of(value);
    if (!ids.insert(s.id).second) unreadable("two entries have the id " + std::to_string(s.id));
    sources.push_back(std::move(s));
  }
  return sources;
}

SourcesRead read_sources(const QString& app_data) {
  SourcesRead read;
  const QString path = sources_index_path(app_data);
  QFile file(path);
  if (!file.exists()) return read;
  std::string why;
  if (!file.open(QIODevice::ReadOnly)) {
    why = file.errorString().toStdString();
  } else {
    const QByteArray bytes = file.read(static_cast<qint64>(kMaxSourcesIndexBytes) + 1);
    file.close();
    try {
      read.sources = parse_sources_index(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
      return read;
    } catch (const PlaylistError& e) {
      why = e.what();
    }
  }
  const QString copy = free_aside_path(path);
  read.writable = QFile::rename(path, copy);
  read.problem = QString::fromStdString(why) + QStringLiteral("\n\nFile: ") + QDir::toNativeSeparators(path);
  if (read.writable)
    read.problem += QStringLiteral("\nIt was moved to ") + QDir::toNativeSeparators(copy) +
                    QStringLiteral("; the playlists' copies are kept in ") +
                    QDir::toNativeSeparators(playlists_folder(app_data)) + QStringLiteral(".");
  else
    read.problem += QStringLiteral("\nIt could not be moved aside and is left as it is.");
  return read;
}

QString write_sources(const QString& app_data, const std::vector<PlaylistSource>& sources) {
  const QString unwritten = QStringLiteral("The list of playlists could not be written: ");
  if (sources.size() > kMaxPlaylistSources)
    return unwritten + QStringLiteral("it may hold at most %1 playlists.").arg(kMaxPlaylistSources);
  const std::string text = sources_index_text(sources);
  if (text.size() > kMaxSourcesIndexBytes)
    return unwritten + QStringLiteral("it would be larger than %1 MiB; shorter names or fewer playlists make room.")
                           .arg(kMaxSourcesIndexBytes >> 20);
  // What is not read back as written would cost the whole list at the next start.
  try {
    if (parse_sources_index(text) != sources)
      return unwritten + QStringLiteral("a name or path holds characters it cannot keep.");
  } catch (const PlaylistError& e) {
    return unwritten + QString::fromUtf8(e.what());
  }
  return save_whole(sources_index_path(app_data), QByteArray::fromStdString(text));
}

namespace {
// The bytes of a playlist file, at most kMaxPlaylistBytes; `problem` says why there are none.
QByteArray playlist_file_bytes(const QString& path, QString& problem) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    problem = QStringLiteral("The playlist \"%1\" cannot be read: %2").arg(path, file.errorString());
    return {};
  }
  QByteArray bytes = file.read(static_cast<qint64>(kMaxPlaylistBytes) + 1);
  if (file.error() != QFileDevice::NoError)
    problem = QStringLiteral("The playlist \"%1\" cannot be read: %2").arg(path, file.errorString());
  else if (static_cast<size_t>(bytes.size()) > kMaxPlaylistBytes)
    problem = QStringLiteral("The playlist \"%1\" is larger than %2 MiB.").arg(path).arg(kMaxPlaylistBytes >> 20);
  return problem.isEmpty() ? bytes : QByteArray();
}

// Gives the new source the next free id; false, with the problem told, when the list is full or
// no id is left.
bool take_free_id(const QString& app_data, const std::vector<PlaylistSource>& sources, PlaylistSource& source,
                  QString& problem) {
  if (sources.size() >= kMaxPlaylistSources) {
    problem = QStringLiteral("No more playlists can be added: the list holds %1, the most it may hold.")
                  .arg(kMaxPlaylistSources);
    return false;
  }
  source.id = free_id(app_data, sources);
  if (source.id == 0) problem = QStringLiteral("No more playlists can be added.");
  return source.id != 0;
}

const PlaylistSource* source_of_file(const std::vector<PlaylistSource>& sources, const QString& absolute_path) {
  for (const PlaylistSource& s : sources)
    if (s.address.isEmpty() && s.original_path == absolute_path) return &s;
  return nullptr;
}

const PlaylistSource* source_of_address(const std::vector<PlaylistSource>& sources, const QUrl& address) {
  for (const PlaylistSource& s : sources)
    if (!s.address.isEmpty() && QUrl(s.address) == address) return &s;
  return nullptr;
}

// Adds the source to the list and writes the list: the list in memory changes only when the
// written one did.
QString append_source(const QString& app_data, std::vector<PlaylistSource>& sources, const PlaylistSource& source) {
  std::vector<PlaylistSource> next = sources;
  next.push_back(source);
  const QString problem = write_sources(app_data, next);
  if (problem.isEmpty()) sources = std::move(next);
  return problem;
}
}  // namespace

AddedSource add_source_from_file(const QString& app_data, std::vector<PlaylistSource>& sources, const QString& path,
                                 const QDateTime& now) {
  AddedSource added;
  const QString absolute_path = QFileInfo(path).absoluteFilePath();
  if (const PlaylistSource* listed = source_of_file(sources, absolute_path)) {
    const uint16_t id = listed->id;
    added.already_listed = true;
    added.problem = copy_source_file_again(app_data, sources, id, now);
    added.source = *find_source(sources, id);
    return added;
  }
  const QByteArray bytes = playlist_file_bytes(path, added.problem);
  if (!added.problem.isEmpty()) return added;
  PlaylistSource s;
  if (!take_free_id(app_data, sources, s, added.problem)) return added;
  s.name = QFileInfo(path).completeBaseName();
  s.original_path = absolute_path;
  s.read_at = now.toUTC();
  if ((added.problem = save_whole(playlist_copy_path(app_data, s.id), bytes)).isEmpty()) {
    added.problem = append_source(app_data, sources, s);
    if (added.problem.isEmpty())
      added.source = s;
    else
      QFile::remove(playlist_copy_path(app_data, s.id));
  }
  return added;
}

AddedSource add_source_from_address(const QString& app_data, std::vector<PlaylistSource>& sources,
                                    const QString& address) {
  AddedSource added;
  const QUrl url(address, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
    added.problem = QStringLiteral("\"%1\" is not an http or https address.").arg(address);
    return added;
  }
  if (const PlaylistSource* listed = source_of_address(sources, url)) {
    added.source = *listed;
    added.already_listed = true;
    return added;
  }
  PlaylistSource s;
  if (!take_free_id(app_data, sources, s, added.problem)) return added;
  s.name = url.fileName().isEmpty() ? url.host() : QFileInfo(url.fileName()).completeBaseName();
  s.address = address;
  added.problem = append_source(app_data, sources, s);
  if (added.problem.isEmpty()) added.source = s;
  return added;
}

QString rename_source(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id,
                      const QString& name) {
  return change_source(app_data, sources, id, [&](PlaylistSource& s) { s.name = name; });
}

QString set_source_group(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id, int32_t group) {
  return change_source(app_data, sources, id, [&](PlaylistSource& s) { s.group = group; });
}

QString remove_source(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id) {
  if (!find_source(sources, id)) return kNoSuchSource;
  std::vector<PlaylistSource> next;
  for (const PlaylistSource& s : sources)
    if (s.id != id) next.push_back(s);
  if (QString problem = write_sources(app_data, next); !problem.isEmpty()) return problem;
  sources = std::move(next);
  // Off the list first: a copy left behind by a failed delete is never read again, and its id is
  // only handed out with the files replaced.
  QFile::remove(playlist_copy_path(app_data, id));
  QFile::remove(playlist_copy_path(app_data, id) + QStringLiteral(".source"));
  QFile::remove(source_favorites_path(app_data, id));
  return {};
}

QString copy_source_file_again(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id,
                               const QDateTime& now) {
  const PlaylistSource* s = find_source(sources, id);
  if (!s) return kNoSuchSource;
  if (s->original_path.isEmpty()) return QStringLiteral("The playlist was not added from a file.");
  QString problem;
  const QByteArray bytes = playlist_file_bytes(s->original_path, problem);
  if (!problem.isEmpty()) return problem;
  if (problem = save_whole(playlist_copy_path(app_data, id), bytes); !problem.isEmpty()) return problem;
  return note_source_read(app_data, sources, id, now);
}

QString note_source_read(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id,
                         const QDateTime& now) {
  return change_source(app_data, sources, id, [&](PlaylistSource& s) { s.read_at = now.toUTC(); });
}

const PlaylistSource* find_source(const std::vector<PlaylistSource>& sources, uint16_t id) {
  for (const PlaylistSource& s : sources)
    if (s.id == id) return &s;
  return nullptr;
}

int64_t playlist_refresh_age_seconds() {
  const std::optional<int32_t> hours = read_integer_setting(QStringLiteral("playlist_refresh_hours"));
  if (!hours || *hours < 0) return 24 * 3600;
  return *hours == 0 ? -1 : int64_t{*hours} * 3600;
}

std::vector<uint16_t> sources_due(const QString& app_data, const std::vector<PlaylistSource>& sources,
                                  const QDateTime& now_utc, int64_t max_age_seconds) {
  std::vector<uint16_t> due;
  if (max_age_seconds < 0) return due;
  for (const PlaylistSource& s : sources) {
    if (s.address.isEmpty()) continue;
    const QString copy = playlist_copy_path(app_data, s.id);
    if (!QFile::exists(copy) || remote_copy_due(read_remote_copy_info(copy), now_utc, max_age_seconds))
      due.push_back(s.id);
  }
  return due;
}
