#pragma once
#include <QString>

#include <vector>

struct Playlist;

// Where the user's guides come from: web addresses (kept as copies in the cache folder) and files.
struct GuideSource {
  QString location;            // an http(s) address or a file's path
  bool from_playlist = false;  // added by a playlist's url-tvg rather than by the user
  bool operator==(const GuideSource&) const = default;
};

bool is_web_guide(const QString& location);
// One line per source in a small file of the user's data folder: "playlist<TAB>" in front of the
// ones a playlist added.
QString guide_sources_path(const QString& app_data);
std::vector<GuideSource> load_guide_sources(const QString& path);
bool save_guide_sources(const QString& path, const std::vector<GuideSource>& sources);

// Adds a source unless it is there already (the same location); answers whether it was added.
bool add_guide_source(std::vector<GuideSource>& sources, const QString& location, bool from_playlist = false);
bool remove_guide_source(std::vector<GuideSource>& sources, const QString& location);
// The guides a playlist names (url-tvg, x-tvg-url); answers how many were new.
int add_playlist_guides(std::vector<GuideSource>& sources, const Playlist& playlist);

// The file a source is read from: the copy in `cache_folder` for an address, else the file itself.
QString guide_copy_path(const GuideSource& source, const QString& cache_folder);
// The user's cache folder for guide copies.
QString guide_cache_folder();
