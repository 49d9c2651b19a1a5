#pragma once
#include "shell/app_state.h"
#include "views/view_builder.h"

#include <QDateTime>
#include <QFuture>
#include <QString>

#include <optional>
#include <vector>

class QWidget;

// The catalogue load of the start-up and of the reload after a download. The channel database is
// read into a catalogue of its own, apart from the user's files (services/catalogue_trial_load.h):
// at start-up on a worker thread while the windows are made, after a download by the download's
// trial load. The user's files are then read into that catalogue on the GUI thread (they may have
// to tell the user something), and the rest is plain work on records: the user's channels in front
// of the database's as if they had been read first, the favourites marked, the sort by name and the
// visible list. The result replaces the program's list state in one step.

// What a load read of the channel database.
struct DatabaseRead {
  Catalogue catalogue;  // from catalogue_to_load, with what the database gave
  QString failure;      // why the database did not load; empty when it did
};

// Reads channels.dat of current.app_data into catalogue_to_load(current). Any thread.
DatabaseRead read_channel_database(const Catalogue& current);

// The start-up's read of channels.dat, begun on a worker thread before the windows are made.
class CatalogueReadAhead {
 public:
  // Reads the channel database of the catalogue folder under `app_data` for a catalogue that holds
  // nothing yet.
  explicit CatalogueReadAhead(const QString& app_data);
  ~CatalogueReadAhead();
  CatalogueReadAhead(const CatalogueReadAhead&) = delete;
  CatalogueReadAhead& operator=(const CatalogueReadAhead&) = delete;

  // Waits for the read and hands it over, when it was made for this data folder, found a database
  // and was not yet taken.
  std::optional<DatabaseRead> take(const QString& app_data);

 private:
  QString app_data_;
  QFuture<std::optional<DatabaseRead>> read_;
};

// A new list state being put together.
struct CatalogueAssembly {
  ChannelListState list;           // the new catalogue, with the sort state it is sorted with
  std::vector<Channel> database;   // the database's channels, set aside while the user's files are read
  std::vector<Channel> playlists;  // the playlists' channels of the list before, carried over
};

// GUI thread. Begins the new list state from `read` and the sort and search state of `current`, and
// reads the user's files into its catalogue, telling the user over `parent` what could not be read.
// A database that failed to load leaves nothing of itself: the user's channels alone remain.
CatalogueAssembly begin_assembly(DatabaseRead read, const ChannelListState& current, QWidget* parent);

struct AssembledList {
  ChannelListState list;
  ViewUpdate update;  // what the window shows of list.visible
};
// Any thread. The user's channels in front of the database's, the database's channels marked from
// the favourites id list, all sorted by `sort`, the visible list built from the filter.
AssembledList finish_assembly(CatalogueAssembly assembly, void (*sort)(ChannelListState&));

// GUI thread. `next` becomes the program's list state after `before` (the window's no-channel state
// and model reset) has run; the catalogue it replaces is freed on a worker thread.
void adopt_list_state(ChannelListState& state, ChannelListState&& next, const BeforeRebuild& before);

// The start-up catalogue load. Answers the view to show. Without a channel database yet, the list
// is made of the user's own files and the stored view and criteria, as beside a catalogue, and
// `outdated` is set so the download is offered. Takes the read of `read_ahead` when one was begun,
// else reads the channel database now.
//
// A database that fails to load does not end the program: the error and the file's path are shown,
// the file stays as it is, the catalogue keeps the user's channels only, and `outdated` is set so a
// fresh catalogue is offered.
std::optional<ViewUpdate> load_catalogue(AppState& state, QWidget* parent, const BeforeRebuild& before,
                                         const QDateTime& now = QDateTime::currentDateTime(),
                                         CatalogueReadAhead* read_ahead = nullptr);
