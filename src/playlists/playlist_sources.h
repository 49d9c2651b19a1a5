#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The playlists the user added, kept beside the catalogue in the user's data folder:
//   playlists/sources.json      the list below, written whole or not at all
//   playlists/<id>.playlist     the copy of each playlist as last read from its file or address
//   playlists/<id>.playlist.source  what is known of an address's copy (services/remote_copy.h)
//   playlists/<id>.favorites    the addresses of its channels the user marked, one a line
// Nothing here touches the catalogue's own files.

struct PlaylistSource {
  uint16_t id = 0;          // names its files; 1 and up, never two alike in one list
  QString name;             // as the user knows it
  QString address;          // http or https address it is refreshed from; empty when added from a file
  QString original_path;    // the file it was first read from; empty for an address
  int32_t group = 0;        // the view every channel goes to (kGroupTV...); 0: each entry decides
  QDateTime read_at;        // when the copy was last read from its file or address; invalid: never
  friend bool operator==(const PlaylistSource&, const PlaylistSource&) = default;
};

QString playlists_folder(const QString& app_data);
QString sources_index_path(const QString& app_data);
QString playlist_copy_path(const QString& app_data, uint16_t id);
QString source_favorites_path(const QString& app_data, uint16_t id);

// The list as stored, and back. The reading is strict: anything it does not understand makes the
// whole text unreadable (a PlaylistError says what), since a half-read list would lose sources at
// the next write. So a list is written only when it reads back: within the bounds below, checked
// when a playlist is added or renamed.
inline constexpr size_t kMaxSourcesIndexBytes = size_t{1} << 20;
inline constexpr size_t kMaxPlaylistSources = 1000;
std::string sources_index_text(const std::vector<PlaylistSource>& sources);
std::vector<PlaylistSource> parse_sources_index(std::string_view text);

// The list of the data folder. A missing list is an empty one. An unreadable list is moved aside
// (free_aside_path) so that nothing in it is lost, and the problem says what happened; the copies
// and favourites stay where they are. When it cannot be moved aside, `writable` is false and the
// list must not be written in this run.
struct SourcesRead {
  std::vector<PlaylistSource> sources;
  QString problem;  // for the user; empty when the list read well
  bool writable = true;
};
SourcesRead read_sources(const QString& app_data);

// Writes the list whole or not at all; answers why it could not (too many sources, too large a
// list, a text that would not read back as it is, or the file system's word), or nothing.
QString write_sources(const QString& app_data, const std::vector<PlaylistSource>& sources);

// The changes the user makes. Each answers why it failed (nothing written then), or nothing.
// A new source gets the lowest free id, and a name from the file or address when none is given.
// A file or address the list holds already is not listed again (a file manager opens the same
// file as often as it is double-clicked): that source is answered, to be refreshed.
struct AddedSource {
  PlaylistSource source;
  QString problem;
  bool already_listed = false;
};
// Copies the file into the data folder (at most kMaxPlaylistBytes) and lists the source; for a
// file listed already (the same absolute path), copies it again.
AddedSource add_source_from_file(const QString& app_data, std::vector<PlaylistSource>& sources,
                                 const QString& path, const QDateTime& now);
// Lists a source read from an address; its copy comes when it is first read. An address listed
// already is answered with its source as it is: the caller downloads it again.
AddedSource add_source_from_address(const QString& app_data, std::vector<PlaylistSource>& sources,
                                    const QString& address);
QString rename_source(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id,
                      const QString& name);
QString set_source_group(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id, int32_t group);
// Takes the source off the list, then deletes its copy and favourites.
QString remove_source(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id);
// Copies a file source's file into its copy again, when the file is still there.
QString copy_source_file_again(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id,
                               const QDateTime& now);
// Notes that the source's copy was read from its address at `now` (a refresh wrote it, or the
// server said it had not changed).
QString note_source_read(const QString& app_data, std::vector<PlaylistSource>& sources, uint16_t id,
                         const QDateTime& now);

const PlaylistSource* find_source(const std::vector<PlaylistSource>& sources, uint16_t id);

// How old an address's copy may grow before the start-up reads it again: the setting
// "playlist_refresh_hours" (0: never at start-up), a day without it.
int64_t playlist_refresh_age_seconds();
// The sources with an address whose copy is due at start-up (services/remote_copy.h decides).
std::vector<uint16_t> sources_due(const QString& app_data, const std::vector<PlaylistSource>& sources,
                                  const QDateTime& now_utc, int64_t max_age_seconds);
