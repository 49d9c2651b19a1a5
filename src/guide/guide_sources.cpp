#include "guide/guide_sources.h"

#include "catalogue/aside_path.h"
#include "catalogue/catalogue_paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace {
const QString kPlaylistMark = QStringLiteral("playlist\t");
const QString kRemovedMark = QStringLiteral("removed\t");
const QString kCopySuffix = QStringLiteral(".guide");
const QString kCopyInfoSuffix = QStringLiteral(".guide.source");

// "<id><TAB><location>" after a mark: the id, and the rest as the location; nothing when there is
// no id in front.
std::optional<std::pair<uint16_t, QString>> owned_location(QStringView rest) {
  const qsizetype tab = rest.indexOf(QLatin1Char('\t'));
  if (tab < 1 || tab > 5) return std::nullopt;
  bool ok = false;
  const uint id = rest.left(tab).toUInt(&ok);
  // Digits only: toUInt would also take a sign or blanks.
  const bool digits = std::all_of(rest.begin(), rest.begin() + tab, [](QChar c) { return c.isDigit() && c.unicode() < 128; });
  if (!ok || !digits || id > UINT16_MAX) return std::nullopt;
  return std::pair{static_cast<uint16_t>(id), rest.mid(tab + 1).trimmed().toString()};
}

bool refuses(const std::vector<RefusedGuide>& refused, uint16_t playlist, const QString& location) {
  return std::any_of(refused.begin(), refused.end(), [&](const RefusedGuide& r) {
    return r.location == location && (r.playlist == playlist || r.playlist == 0);
  });
}

// Adds to the refused, the oldest going first past the bound.
void refuse(std::vector<RefusedGuide>& refused, RefusedGuide guide) {
  if (std::find(refused.begin(), refused.end(), guide) != refused.end()) return;
  refused.push_back(std::move(guide));
  if (refused.size() > kMaxGuideSources) refused.erase(refused.begin());
}

QString copy_name(const QString& location) {
  return QString::fromLatin1(QCryptographicHash::hash(location.toUtf8(), QCryptographicHash::Sha1).toHex()) + kCopySuffix;
}
}  // namespace

bool is_web_guide(const QString& location) {
  const QString scheme = QUrl(location).scheme().toLower();
  return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QString guide_sources_path(const QString& app_data) {
  return catalogue_folder(app_data) + QStringLiteral("guide sources.txt");
}

QString guide_location_problem(const QString& location) {
  if (location.isEmpty()) return QStringLiteral("No guide address or file was given.");
  if (location.toUtf8().size() > kMaxGuideLocationBytes)
    return QStringLiteral("The guide address is longer than %1 bytes, which no guide's address is.").arg(kMaxGuideLocationBytes);
  // A line end or a tab would change the file's lines; the others have no place in an address.
  if (std::any_of(location.begin(), location.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
    return QStringLiteral("The guide address holds a line break, a tab or another control character.");
  return {};
}

GuideSourcesParsed parse_guide_sources(const QByteArray& text) {
  GuideSourcesParsed parsed;
  GuideSources& list = parsed.list;
  QSet<QString> listed;
  for (const QByteArray& bytes : text.split('\n')) {
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // Spaces before a mark do not make it part of the location: written back, it would be a mark.
    const QString line = QString(decode(bytes)).trimmed();
    if (line.isEmpty()) continue;
    if (decode.hasError()) {
      ++parsed.unusable;
      continue;
    }
    const bool playlist_mark = line.startsWith(kPlaylistMark), removed_mark = line.startsWith(kRemovedMark);
    const QStringView rest = QStringView(line).mid(playlist_mark ? kPlaylistMark.size() : removed_mark ? kRemovedMark.size() : 0);
    const auto owned = owned_location(rest);
    if (removed_mark) {
      // A refusal without its playlist's id, or the playlist id 0 after the playlist mark, is
      // nothing the program writes.
      if (!owned || !guide_location_problem(owned->second).isEmpty() || list.refused.size() == kMaxGuideSources) {
        ++parsed.unusable;
        continue;
      }
      refuse(list.refused, {owned->first, owned->second});
      continue;
    }
    GuideSource source{playlist_mark && owned ? owned->second : rest.trimmed().toString(), playlist_mark,
                       playlist_mark && owned ? owned->first : uint16_t{0}};
    // The mark alone names nothing.
    if (playlist_mark && source.location.isEmpty()) continue;
    if (listed.contains(source.location)) continue;
    if ((playlist_mark && owned && owned->first == 0) || !guide_location_problem(source.location).isEmpty() ||
        list.sources.size() == kMaxGuideSources) {
      ++parsed.unusable;
      continue;
    }
    listed.insert(source.location);
    list.sources.push_back(std::move(source));
  }
  return parsed;
}

QByteArray guide_sources_text(const GuideSources& list) {
  QString text;
  size_t written = 0;
  for (const GuideSource& source : list.sources) {
    if (written == kMaxGuideSources || !guide_location_problem(source.location).isEmpty()) continue;
    ++written;
    if (source.from_playlist) text += kPlaylistMark + (source.playlist != 0 ? QString::number(source.playlist) + QLatin1Char('\t') : QString());
    text += source.location + QLatin1Char('\n');
  }
  written = 0;
  for (const RefusedGuide& refused : list.refused) {
    if (written == kMaxGuideSources || !guide_location_problem(refused.location).isEmpty()) continue;
    ++written;
    text += kRemovedMark + QString::number(refused.playlist) + QLatin1Char('\t') + refused.location + QLatin1Char('\n');
  }
  return text.toUtf8();
}

GuideSourcesRead read_guide_sources(const QString& path) {
  GuideSourcesRead read;
  QFile file(path);
  if (!file.exists()) return read;
  QString why;
  if (!file.open(QIODevice::ReadOnly)) {
    why = QStringLiteral("it cannot be opened: %1").arg(file.errorString());
  } else if (file.size() > kMaxGuideSourcesFileBytes) {
    why = QStringLiteral("it is larger than any list of guides Quovi writes");
  } else {
    const QByteArray bytes = file.readAll();
    file.close();
    GuideSourcesParsed parsed = parse_guide_sources(bytes);
    read.list = std::move(parsed.list);
    if (parsed.unusable == 0) return read;
    why = QStringLiteral("%1 of its lines cannot be used").arg(parsed.unusable);
  }
  file.close();
  const QString shown = QDir::toNativeSeparators(path);
  read.problem = QStringLiteral("The list of guide sources %1 cannot be read back whole: %2.\n").arg(shown, why);
  const QString aside = free_aside_path(path);
  if (!QFile::rename(path, aside)) {
    read.writable = false;
    read.problem += QStringLiteral("It could not be moved aside, so it is left as it is and no change to the guide "
                                   "sources is kept in this run.");
    return read;
  }
  read.problem += QStringLiteral("It was moved to %1").arg(QDir::toNativeSeparators(aside));
  if (read.list.sources.empty() && read.list.refused.empty())
    read.problem += QStringLiteral("; Quovi starts a new list.");
  else if (save_guide_sources(path, read.list))
    read.problem += QStringLiteral("; Quovi goes on with the %1 guide sources it could read.").arg(read.list.sources.size());
  else
    read.problem += QStringLiteral("; the %1 guide sources it could read are used in this run but could not be written "
                                   "to a new file.")
                        .arg(read.list.sources.size());
  return read;
}

bool save_guide_sources(const QString& path, const GuideSources& list) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(guide_sources_text(list));
  return file.commit();
}

QString add_guide_source(std::vector<GuideSource>& sources, const QString& location) {
  const QString trimmed = location.trimmed();
  if (QString problem = guide_location_problem(trimmed); !problem.isEmpty()) return problem;
  for (const GuideSource& source : sources)
    if (source.location == trimmed) return {};
  if (sources.size() >= kMaxGuideSources)
    return QStringLiteral("The list of guides is full: it holds at most %1. Remove some to add others.").arg(kMaxGuideSources);
  sources.push_back({trimmed, false, 0});
  return {};
}

bool remove_guide_source(std::vector<GuideSource>& sources, std::vector<RefusedGuide>& refused, const QString& location) {
  const auto found = std::find_if(sources.begin(), sources.end(), [&](const GuideSource& s) { return s.location == location; });
  if (found == sources.end()) return false;
  if (found->from_playlist && !refuses(refused, found->playlist, found->location))
    refuse(refused, {found->playlist, found->location});
  sources.erase(found);
  return true;
}

PlaylistGuidesTaken take_playlist_guides(std::vector<GuideSource>& sources, std::vector<RefusedGuide>& refused,
                                         uint16_t playlist, const std::vector<std::string>& addresses) {
  PlaylistGuidesTaken taken;
  if (playlist == 0) return taken;
  QStringList named;
  for (const std::string& address : addresses) {
    const QString location = QString::fromStdString(address).trimmed();
    if (!is_web_guide(location) || !guide_location_problem(location).isEmpty()) {
      ++taken.left_out;
      continue;
    }
    if (!named.contains(location)) named << location;
  }
  const auto gone = [&](const QString& location) { return !named.contains(location); };
  const auto before = sources.size();
  std::erase_if(sources, [&](const GuideSource& s) { return s.from_playlist && s.playlist == playlist && gone(s.location); });
  taken.changed = sources.size() != before;
  // Refusals of addresses it no longer names would only pile up.
  std::erase_if(refused, [&](const RefusedGuide& r) { return r.playlist == playlist && gone(r.location); });
  for (const QString& location : named) {
    if (refuses(refused, playlist, location)) continue;
    const auto listed = std::find_if(sources.begin(), sources.end(), [&](const GuideSource& s) { return s.location == location; });
    if (listed != sources.end()) {
      if (listed->from_playlist && listed->playlist == 0) {
        listed->playlist = playlist;
        taken.changed = true;
      }
      continue;
    }
    if (sources.size() >= kMaxGuideSources) {
      ++taken.left_out;
      continue;
    }
    sources.push_back({location, true, playlist});
    taken.changed = true;
  }
  return taken;
}

bool remove_playlist_guides(std::vector<GuideSource>& sources, std::vector<RefusedGuide>& refused, uint16_t playlist) {
  if (playlist == 0) return false;
  const auto before = sources.size() + refused.size();
  std::erase_if(sources, [&](const GuideSource& s) { return s.from_playlist && s.playlist == playlist; });
  std::erase_if(refused, [&](const RefusedGuide& r) { return r.playlist == playlist; });
  return sources.size() + refused.size() != before;
}

QString guide_copy_path(const GuideSource& source, const QString& cache_folder) {
  if (!is_web_guide(source.location)) return source.location;
  return cache_folder + QLatin1Char('/') + copy_name(source.location);
}

void remove_stray_guide_copies(const std::vector<GuideSource>& sources, const QString& cache_folder) {
  QSet<QString> kept;
  for (const GuideSource& source : sources)
    if (is_web_guide(source.location)) kept.insert(copy_name(source.location));
  QDir folder(cache_folder);
  for (const QString& name : folder.entryList({QLatin1Char('*') + kCopySuffix, QLatin1Char('*') + kCopyInfoSuffix}, QDir::Files)) {
    const QString copy = name.endsWith(kCopyInfoSuffix) ? name.chopped(kCopyInfoSuffix.size() - kCopySuffix.size()) : name;
    // Only names the copies are given: 40 hexadecimal digits; a transfer's file in the making has more.
    if (copy.size() != 40 + kCopySuffix.size() || kept.contains(copy)) continue;
    folder.remove(name);
  }
}

QString guide_cache_folder() {
  return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/guides");
}
