#pragma once
#include "guide/guide_address_bounds.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// Where the user's guides come from: web addresses (kept as copies in the cache folder) and files.
struct GuideSource {
  QString location;            // an http(s) address or a file's path
  bool from_playlist = false;  // named by a playlist's url-tvg rather than added by the user
  uint16_t playlist = 0;       // the playlist's id; 0 when not known (listed before owners were kept)
  bool operator==(const GuideSource&) const = default;
};

// A guide a playlist names that the user removed: that playlist's refreshes leave it out.
struct RefusedGuide {
  uint16_t playlist = 0;  // 0: whichever playlist names it
  QString location;
  bool operator==(const RefusedGuide&) const = default;
};

// What the file of sources holds.
struct GuideSources {
  std::vector<GuideSource> sources;
  std::vector<RefusedGuide> refused;
  bool operator==(const GuideSources&) const = default;
};

// Bounds on the list, shared with what a playlist may name: the file of a
// list within them is always one the program reads back.
inline constexpr size_t kMaxGuideSources = kMaxGuideAddresses;  // and as many refused
inline constexpr qsizetype kMaxGuideLocationBytes = kMaxGuideAddressBytes;  // in UTF-8
// The largest file a list within the bounds makes: each line its mark, an id, the location and
// the line end.
inline constexpr qint64 kMaxGuideSourcesFileBytes = 2 * qint64{kMaxGuideSources} * (kMaxGuideLocationBytes + 16);

bool is_web_guide(const QString& location);

// A small file of the user's data folder, one line per source:
//   location                       the user's own
//   playlist<TAB>location          named by a playlist, which one not known (files before owners were kept)
//   playlist<TAB>id<TAB>location   named by the playlist of that id
//   removed<TAB>id<TAB>location    refused for the playlist of that id (0: for every playlist)
// A location never holds a tab, so each line reads one way only.
QString guide_sources_path(const QString& app_data);

struct GuideSourcesParsed {
  GuideSources list;
  int unusable = 0;  // lines that could not be taken (past a bound, a location no source can have)
};
GuideSourcesParsed parse_guide_sources(const QByteArray& text);
// The text of a list; what lies beyond the bounds is not written, so the text always reads back.
QByteArray guide_sources_text(const GuideSources& list);

// The file as read. A file that cannot be read back whole is moved aside (free_aside_path) so that
// nothing in it is lost, the list goes on with what could be read (written back at once), and the
// problem says so. When it cannot be moved aside, `writable` is false: the file must not be
// written in this run.
struct GuideSourcesRead {
  GuideSources list;
  QString problem;  // for the user; empty when the file read well
  bool writable = true;
};
GuideSourcesRead read_guide_sources(const QString& path);
bool save_guide_sources(const QString& path, const GuideSources& list);

// Why `location` (trimmed) can be no source: empty, longer than the bound, a control character
// in it. Empty when it can be one.
QString guide_location_problem(const QString& location);
// Adds the user's own source unless it is there already (the same location). Answers why it could
// not be added (guide_location_problem(), or the list is full); empty when added or there already.
QString add_guide_source(std::vector<GuideSource>& sources, const QString& location);
// Takes a source off the list; one a playlist named is refused from then on for that playlist.
bool remove_guide_source(std::vector<GuideSource>& sources, std::vector<RefusedGuide>& refused, const QString& location);

// A playlist's guides become those it names now (url-tvg, x-tvg-url): new ones join, those it no
// longer names go, those the user refused stay out, and those of a playlist not known that it
// names become its own. The user's own sources stay the user's.
struct PlaylistGuidesTaken {
  bool changed = false;
  int left_out = 0;  // named but not taken: the list is full, or no source can have the address
};
PlaylistGuidesTaken take_playlist_guides(std::vector<GuideSource>& sources, std::vector<RefusedGuide>& refused,
                                         uint16_t playlist, const std::vector<std::string>& addresses);
// A removed playlist's guides and refusals go with it.
bool remove_playlist_guides(std::vector<GuideSource>& sources, std::vector<RefusedGuide>& refused, uint16_t playlist);

// The file a source is read from: the copy in `cache_folder` for an address, else the file itself.
QString guide_copy_path(const GuideSource& source, const QString& cache_folder);
// Removes the copies in `cache_folder`, and what is known of them, of addresses no longer listed.
void remove_stray_guide_copies(const std::vector<GuideSource>& sources, const QString& cache_folder);
// The user's cache folder for guide copies.
QString guide_cache_folder();
