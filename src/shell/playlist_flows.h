#pragma once
#include "playlists/playlist_channels.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <string>
#include <vector>

class MainWindow;
class QMenu;
class QWidget;

// The main window's playlists: read at start-up, added from files (the open dialog, a drop on the
// window, the command line), renamed, moved, removed and refreshed from the Playlists dialog, their
// favourites written to their own files as the user marks channels, and the list exported. The
// work on records is in playlists/; reading and parsing run on a worker thread while a modal
// progress window keeps the user's input off the list.
class PlaylistFlows : public QObject {
  Q_OBJECT
 public:
  explicit PlaylistFlows(MainWindow& window);

  // The list of playlists and their copies, at start-up after the catalogue load.
  void load_at_start();
  // Files or addresses, as given on the command line or dropped on the window.
  void add_any(const QStringList& files_or_addresses);
  void add_file(const QString& path);
  void add_address(const QString& address);
  // Reads the source's copy again and puts its channels in place of those it had. A copy just
  // added or refreshed (`fresh_copy`) also hands on the guides the playlist names. False when the
  // copy could not be read (the user was told).
  bool reload_source(uint16_t id, bool tell_summary, bool fresh_copy = true);
  // Brings the copy up to date from the source's address or file, then reads it again.
  void refresh_source(uint16_t id, bool tell_summary);
  // The start-up's refresh of the sources with an address whose copy has grown old.
  void refresh_due_sources();

  // The entries of the list's menu: Add Playlist..., Playlists..., the exports.
  void add_menu_entries(QMenu* menu);
  // Writes the favourites file of every source whose marks changed since it was last written.
  void save_favorites();

  // Exports as extended M3U: the rows of the view, every favourite, or the selected rows.
  void export_view();
  void export_favorites();
  void export_selected();
  void open_playlists_dialog();

 Q_SIGNALS:
  // The guides a playlist just added or refreshed names (url-tvg, x-tvg-url); none when it names none.
  void guides_named(uint16_t source, const std::vector<std::string>& addresses);
  // The user removed a playlist.
  void source_removed(uint16_t source);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Whether the playlists may be changed and written in this run; when not, the user is told why.
  bool may_change(QWidget* parent) const;
  void show_channels(SourceChannels fresh);
  // Merges the readied channels of a source into the list in place of its former ones.
  void join(SourceChannels fresh);
  // The copy from the address under a progress window with Cancel; false when there is no new
  // copy to read (failed, told the user, or cancelled).
  bool download(const PlaylistSource& source);
  void export_positions(const std::vector<int>& positions, const QString& what);
  std::vector<SourceChannels> read_sources_off_gui(const std::vector<PlaylistSource>& sources, QStringList& problems);

  MainWindow& window_;
  std::map<uint16_t, std::vector<std::string>> saved_favorites_;
};
