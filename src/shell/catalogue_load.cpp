#include "shell/catalogue_load.h"

#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_database.h"
#include "catalogue/channel_members.h"
#include "catalogue/user_files.h"
#include "playlists/playlist_channels.h"
#include "services/catalogue_trial_load.h"
#include "services/worker_thread.h"
#include "settings/settings_store.h"
#include "settings/source_table_choice.h"
#include "shell/outdated.h"
#include "views/sorting.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFileInfo>

#include <exception>
#include <iterator>
#include <utility>

DatabaseRead read_channel_database(const Catalogue& current) {
  DatabaseRead read{catalogue_to_load(current), {}};
  try {
    load_channel_database(read.catalogue, {}, current.app_data);
  } catch (const std::exception& error) {
    read.failure = QString::fromUtf8(error.what());
    if (read.failure.isEmpty()) read.failure = QStringLiteral("The channel list could not be read.");
  }
  return read;
}

CatalogueReadAhead::CatalogueReadAhead(const QString& app_data) : app_data_(app_data) {
  Catalogue empty;
  empty.app_data = app_data;
  read_ = run_on_worker([empty = std::move(empty)]() -> std::optional<DatabaseRead> {
    // Without a database the start-up reads nothing at all, and makes no folder either.
    if (!QFileInfo::exists(channels_path(empty.app_data))) return std::nullopt;
    return read_channel_database(empty);
  });
}

CatalogueReadAhead::~CatalogueReadAhead() {
  // A read still running is freed by its worker; one that has ended is handed to one.
  if (!read_.isValid() || !read_.isFinished()) return;
  try {
    free_on_worker(read_.takeResult());
  } catch (...) {
    // What failed left nothing to free.
  }
}

std::optional<DatabaseRead> CatalogueReadAhead::take(const QString& app_data) {
  if (app_data != app_data_ || !read_.isValid()) return std::nullopt;
  std::optional<DatabaseRead> read = read_.takeResult();
  read_ = {};
  return read;
}

CatalogueAssembly begin_assembly(DatabaseRead read, const ChannelListState& current, QWidget* parent) {
  CatalogueAssembly assembly;
  assembly.list.catalogue = std::move(read.catalogue);
  assembly.list.sort_flag = current.sort_flag;
  assembly.list.last_sort_column = current.last_sort_column;
  assembly.list.search_position = current.search_position;
  Catalogue& catalogue = assembly.list.catalogue;
  assembly.database = std::exchange(catalogue.channels, {});
  assembly.playlists = playlist_channels_of(current.catalogue.channels);
  // The names other sources gave keep their ids; the new tables are matched when the lists join.
  catalogue.source_tables = current.catalogue.source_tables;
  forget_catalogue_rows(catalogue.source_tables);
  // Whichever way the database was read, the user files stay another copy's if they were.
  catalogue.user_files_held_elsewhere = current.catalogue.user_files_held_elsewhere;
  // The genre table is in place, so the user's channels get their genre names as they are read.
  load_user_files(catalogue, parent);
  if (!read.failure.isEmpty()) {
    // Whatever the database gave is incomplete; the user's own channels stay.
    free_on_worker(std::exchange(assembly.database, {}));
    catalogue.version_stamp.clear();
    catalogue.version_time = 0;
    catalogue.countries.clear();
    catalogue.genres.clear();
  }
  return assembly;
}

AssembledList finish_assembly(CatalogueAssembly assembly, void (*sort)(ChannelListState&)) {
  Catalogue& catalogue = assembly.list.catalogue;
  std::vector<Channel>& database = assembly.database;
  if (!catalogue.favorites.empty()) {
    const FavoriteIds favorites(catalogue.favorites);
    for (Channel& item : database) item.favorited = favorites.contains(item.id) ? 1 : 0;
  }
  // The user's channels come first, as when they are read before the database.
  database.insert(database.begin(), std::make_move_iterator(catalogue.channels.begin()),
                  std::make_move_iterator(catalogue.channels.end()));
  catalogue.channels = std::move(database);
  catalogue.channels.insert(catalogue.channels.end(), std::make_move_iterator(assembly.playlists.begin()),
                            std::make_move_iterator(assembly.playlists.end()));
  attach_source_tables(catalogue);
  sort(assembly.list);
  const ViewUpdate update = build_visible_list(assembly.list);
  return {std::move(assembly.list), update};
}

void adopt_list_state(ChannelListState& state, ChannelListState&& next, const BeforeRebuild& before) {
  if (before) before();
  ChannelListState old = std::exchange(state, std::move(next));
  free_on_worker(std::move(old.catalogue));
}

std::optional<ViewUpdate> load_catalogue(AppState& state, QWidget* parent, const BeforeRebuild& before,
                                         const QDateTime& now, CatalogueReadAhead* read_ahead) {
  state.outdated = false;
  state.catalogue.app_data = app_data_folder();
  const QString database = channels_path(state.catalogue.app_data);
  // Without a catalogue yet, the list is made of the rest as it would be beside one: the user's
  // own channels and favourites, the stored view and criteria, and the playlists when they join.
  const bool no_catalogue = !QFileInfo::exists(database);

  std::optional<DatabaseRead> read;
  if (no_catalogue) read = DatabaseRead{catalogue_to_load(state.catalogue), {}};
  if (!read && read_ahead) read = read_ahead->take(state.catalogue.app_data);
  if (!read) read = read_channel_database(state.catalogue);
  const QString failure = read->failure;
  CatalogueAssembly assembly = begin_assembly(std::move(*read), state, parent);
  if (no_catalogue) {
    state.outdated = true;
  } else if (failure.isEmpty()) {
    state.outdated = catalogue_outdated(assembly.list.catalogue.version_time, now);
  } else {
    state.outdated = true;
    show_error(parent, QStringLiteral("The channel list could not be loaded:\n%1\n\nFile: %2\n\n"
                                      "The file was left as it is; you can download a fresh channel list.")
                           .arg(failure, QDir::toNativeSeparators(database)));
  }
  load_settings(assembly.list.catalogue.filter);
  restore_source_table_choice(assembly.list.catalogue);
  // Nothing is shown before this load is done and no event may run during it, so the rest runs
  // here rather than on a worker the GUI thread would only wait for.
  AssembledList assembled = finish_assembly(std::move(assembly), &sort_after_load);
  adopt_list_state(state, std::move(assembled.list), before);
  return assembled.update;
}
