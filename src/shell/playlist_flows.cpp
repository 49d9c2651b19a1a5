#include "shell/playlist_flows.h"

#include "catalogue/catalogue_paths.h"
#include "dialogs/add_playlist_dialog.h"
#include "dialogs/playlists_dialog.h"
#include "playlists/import_summary.h"
#include "playlists/m3u_writer.h"
#include "playlists/playlist_ways_in.h"
#include "playlists/channel_playlist.h"
#include "playlists/source_favorites.h"
#include "services/remote_copy.h"
#include "services/worker_thread.h"
#include "shell/main_window.h"
#include "shell/pictures.h"
#include "views/sorting.h"
#include "views/view_builder.h"
#include "widgets/messages.h"
#include "widgets/plain_labels.h"

#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QSaveFile>
#include <QTableView>
#include <QUrl>

#include <algorithm>

namespace {
QString data_folder(MainWindow& window) {
  QString& app_data = window.state().catalogue.app_data;
  if (app_data.isEmpty()) app_data = app_data_folder();
  return app_data;
}

// Runs `work` on a worker under a modal window that says what is read; the GUI thread goes on
// painting meanwhile.
template <typename Work>
auto run_under_progress(QWidget* parent, const QString& label, Work work) {
  QProgressDialog progress(label, QString(), 0, 0, parent);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.setCancelButton(nullptr);
  progress.show();
  auto future = run_on_worker(std::move(work));
  wait_running_events(future);
  return future.takeResult();
}

}  // namespace

PlaylistFlows::PlaylistFlows(MainWindow& window) : QObject(&window), window_(window) {
  window.setAcceptDrops(true);
  window.installEventFilter(this);
}

bool PlaylistFlows::may_change(QWidget* parent) const {
  const AppState& state = window_.state();
  if (state.catalogue.user_files_held_elsewhere) {
    show_error(parent, QStringLiteral("Another copy of Quovi Pro keeps the playlists, so they cannot be changed in this copy."));
    return false;
  }
  if (!state.playlists.writable) {
    show_error(parent, QStringLiteral("The list of playlists could not be read at start-up, so the playlists cannot be "
                                      "changed in this run."));
    return false;
  }
  return true;
}

std::vector<SourceChannels> PlaylistFlows::read_sources_off_gui(const std::vector<PlaylistSource>& sources,
                                                                QStringList& problems) {
  const QString app_data = data_folder(window_);
  struct Read {
    std::vector<SourceChannels> channels;
    QStringList problems;
  };
  // The channels come in the list's order, so that the window only merges them in.
  const int column = window_.state().last_sort_column;
  const bool flag = window_.state().sort_flag;
  size_t list_size = window_.state().catalogue.channels.size();
  Read read = run_under_progress(&window_, QStringLiteral("Reading playlists..."), [app_data, sources, column, flag, list_size]() mutable {
    Read r;
    for (const PlaylistSource& s : sources) {
      try {
        r.channels.push_back(read_source_channels(app_data, s, read_source_favorites(app_data, s.id)));
        ready_to_join(r.channels.back(), column, flag, list_size);
        list_size += r.channels.back().channels.size();  // the next joins a list with these
      } catch (const std::exception& e) {
        r.problems << QStringLiteral("%1: %2").arg(s.name, QString::fromUtf8(e.what()));
      }
    }
    return r;
  });
  problems << read.problems;
  return std::move(read.channels);
}

void PlaylistFlows::load_at_start() {
  AppState& state = window_.state();
  SourcesRead read = read_sources(data_folder(window_));
  state.playlists.sources = std::move(read.sources);
  state.playlists.writable = read.writable;
  if (!read.problem.isEmpty()) show_error(&window_, read.problem);
  // Those added from a file only: an address's copy is read the same way once it is there.
  std::vector<PlaylistSource> with_copy;
  for (const PlaylistSource& s : state.playlists.sources)
    if (QFile::exists(playlist_copy_path(data_folder(window_), s.id))) with_copy.push_back(s);
  if (with_copy.empty()) return;
  QStringList problems;
  std::vector<SourceChannels> all = read_sources_off_gui(with_copy, problems);
  window_.before_rebuild()();
  for (SourceChannels& fresh : all) {
    saved_favorites_[fresh.source].clear();
    join(std::move(fresh));
  }
  for (const PlaylistSource& s : with_copy) saved_favorites_[s.id] = favorite_addresses(state.catalogue, s.id);
  window_.finish_view_change(build_visible_list(state));
  if (!problems.isEmpty()) show_error(&window_, QStringLiteral("Some playlists could not be read:\n") + problems.join(QLatin1Char('\n')));
}

void PlaylistFlows::show_channels(SourceChannels fresh) {
  AppState& state = window_.state();
  const uint16_t id = fresh.source;
  window_.before_rebuild()();
  join(std::move(fresh));
  saved_favorites_[id] = favorite_addresses(state.catalogue, id);
  window_.finish_view_change(build_visible_list(state));
}

void PlaylistFlows::join(SourceChannels fresh) {
  AppState& state = window_.state();
  // The order was asked for before the read; a sort since (none can come while the read's window
  // is up, but a question asked before it may still have its own) means the whole list is sorted.
  const bool same_order = fresh.sorted_for == std::pair{state.last_sort_column, state.sort_flag};
  free_on_worker(join_source_channels(state.catalogue, state.playlists, std::move(fresh), state.last_sort_column,
                                      state.sort_flag));
  if (!same_order) sort_after_adding_channel(state);
}

bool PlaylistFlows::reload_source(uint16_t id, bool tell_summary, bool fresh_copy) {
  AppState& state = window_.state();
  const PlaylistSource* found = find_source(state.playlists.sources, id);
  if (!found) return false;
  const PlaylistSource source = *found;
  save_favorites();
  QStringList problems;
  std::vector<SourceChannels> read = read_sources_off_gui({source}, problems);
  if (!problems.isEmpty()) {
    show_error(&window_, problems.join(QLatin1Char('\n')));
    return false;
  }
  const QString summary =
      import_summary(source.name, read.front().channels.size(), read.front().skipped, read.front().skip_examples);
  const std::vector<std::string> guides = read.front().guide_addresses;
  show_channels(std::move(read.front()));
  if (fresh_copy) Q_EMIT guides_named(id, guides);
  if (tell_summary) show_information(&window_, summary);
  return true;
}

void PlaylistFlows::add_file(const QString& path) {
  AppState& state = window_.state();
  if (!may_change(&window_)) return;
  const AddedSource added =
      add_source_from_file(data_folder(window_), state.playlists.sources, path, QDateTime::currentDateTimeUtc());
  if (!added.problem.isEmpty()) {
    show_error(&window_, added.problem);
    return;
  }
  // A file that is no playlist is not kept as one.
  if (!reload_source(added.source.id, true) && !added.already_listed)
    remove_source(data_folder(window_), state.playlists.sources, added.source.id);
}

void PlaylistFlows::add_address(const QString& address) {
  AppState& state = window_.state();
  if (!may_change(&window_)) return;
  const AddedSource added = add_source_from_address(data_folder(window_), state.playlists.sources, address);
  if (!added.problem.isEmpty()) {
    show_error(&window_, added.problem);
    return;
  }
  if (added.already_listed) {
    refresh_source(added.source.id, true);
    return;
  }
  // Nothing read, or nothing that is a playlist: the address is not kept as a playlist.
  if (!download(added.source) || !reload_source(added.source.id, true))
    remove_source(data_folder(window_), state.playlists.sources, added.source.id);
}

bool PlaylistFlows::download(const PlaylistSource& source) {
  AppState& state = window_.state();
  const QString app_data = data_folder(window_);
  QProgressDialog progress(QStringLiteral("Downloading the playlist %1...").arg(source.name), QStringLiteral("Cancel"),
                           0, 0, &window_);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  show_labels_as_typed(&progress);  // the name is the address's file name, any text at all
  RemoteCopyRefresh refresh(source.address, playlist_copy_path(app_data, source.id),
                            static_cast<qint64>(kMaxPlaylistBytes));
  connect(&refresh, &RemoteCopyRefresh::progress, &progress, [&progress](qint64 received, qint64 total) {
    // Kilobytes keep the numbers within the dialog's range for any file it takes.
    progress.setMaximum(static_cast<int>(total / 1024));
    progress.setValue(static_cast<int>(total > 0 ? std::min(received, total) / 1024 : 0));
  });
  connect(&progress, &QProgressDialog::canceled, &refresh, &RemoteCopyRefresh::cancel);
  QEventLoop loop;
  RemoteCopyResult result;
  connect(&refresh, &RemoteCopyRefresh::finished, &loop, [&](const RemoteCopyResult& r) {
    result = r;
    loop.quit();
  });
  progress.show();
  refresh.start();
  loop.exec();
  progress.hide();
  switch (result.outcome) {
    case RemoteCopyResult::Outcome::Updated:
    case RemoteCopyResult::Outcome::NotModified:
      note_source_read(app_data, state.playlists.sources, source.id, QDateTime::currentDateTimeUtc());
      return QFile::exists(playlist_copy_path(app_data, source.id));
    case RemoteCopyResult::Outcome::Failed:
      show_error(&window_, QStringLiteral("The playlist %1 could not be downloaded from %2:\n%3")
                               .arg(source.name, source.address, result.error));
      return false;
    case RemoteCopyResult::Outcome::Cancelled: return false;
  }
  return false;
}

void PlaylistFlows::refresh_source(uint16_t id, bool tell_summary) {
  AppState& state = window_.state();
  if (!may_change(&window_)) return;
  const PlaylistSource* found = find_source(state.playlists.sources, id);
  if (!found) return;
  const PlaylistSource source = *found;
  if (!source.address.isEmpty()) {
    if (!download(source)) return;
  } else if (const QString problem =
                 copy_source_file_again(data_folder(window_), state.playlists.sources, id, QDateTime::currentDateTimeUtc());
             !problem.isEmpty()) {
    // The file is gone or unreadable: the copy there was stays in use.
    show_warning(&window_, problem);
  }
  reload_source(id, tell_summary);
}

void PlaylistFlows::refresh_due_sources() {
  AppState& state = window_.state();
  // Nothing is refreshed that may not be written; another copy keeps its own up to date.
  if (state.catalogue.user_files_held_elsewhere || !state.playlists.writable) return;
  for (const uint16_t id : sources_due(data_folder(window_), state.playlists.sources, QDateTime::currentDateTimeUtc(),
                                       playlist_refresh_age_seconds()))
    refresh_source(id, false);
}

void PlaylistFlows::add_any(const QStringList& files_or_addresses) {
  for (const QString& item : files_or_addresses) {
    if (is_playlist_address(item))
      add_address(item);
    else
      add_file(QUrl(item).isLocalFile() ? QUrl(item).toLocalFile() : item);
  }
}

void PlaylistFlows::save_favorites() {
  AppState& state = window_.state();
  if (state.catalogue.user_files_held_elsewhere) return;
  for (const PlaylistSource& s : state.playlists.sources) {
    std::vector<std::string> now = favorite_addresses(state.catalogue, s.id);
    auto it = saved_favorites_.find(s.id);
    // A source whose channels are not in the list keeps its file as it is.
    if (it == saved_favorites_.end() || it->second == now) continue;
    if (const QString problem = write_source_favorites(data_folder(window_), s.id, now); !problem.isEmpty()) {
      show_error(&window_, QStringLiteral("The favourites of a playlist could not be written:\n") + problem);
      continue;
    }
    it->second = std::move(now);
  }
}

void PlaylistFlows::add_menu_entries(QMenu* menu) {
  menu->addSeparator();
  QAction* add = menu->addAction(theme_picture(QStringLiteral("list-add"), QStringLiteral("large_add")),
                                 QStringLiteral("Add Playlist..."));
  add->setObjectName(QStringLiteral("AddPlaylistAction"));
  connect(add, &QAction::triggered, this, [this] {
    AddPlaylistDialog dialog(QGuiApplication::clipboard()->text(), &window_);
    if (dialog.exec() == QDialog::Accepted) add_any(dialog.chosen());
  });
  QAction* manage = menu->addAction(
      theme_picture(QStringLiteral("view-media-playlist"), QStringLiteral("state_playlist")), QStringLiteral("Playlists..."));
  manage->setObjectName(QStringLiteral("PlaylistsAction"));
  connect(manage, &QAction::triggered, this, &PlaylistFlows::open_playlists_dialog);
  QMenu* exports = menu->addMenu(theme_picture(QStringLiteral("document-save-as")), QStringLiteral("Export"));
  exports->setObjectName(QStringLiteral("ExportMenu"));
  connect(exports->addAction(QStringLiteral("This View...")), &QAction::triggered, this, &PlaylistFlows::export_view);
  connect(exports->addAction(QStringLiteral("Favorites...")), &QAction::triggered, this, &PlaylistFlows::export_favorites);
  connect(exports->addAction(QStringLiteral("Selected Channels...")), &QAction::triggered, this,
          &PlaylistFlows::export_selected);
}

void PlaylistFlows::export_positions(const std::vector<int>& positions, const QString& what) {
  if (positions.empty()) {
    show_information(&window_, QStringLiteral("There are no channels to export."));
    return;
  }
  const QString path = playlist_export_path(QFileDialog::getSaveFileName(
      &window_, QStringLiteral("Export ") + what, QString(), QStringLiteral("Playlists (*.m3u *.m3u8)")));
  if (path.isEmpty()) return;
  // The channels as they are now; the work (the playlists' copies read for their entries, the
  // file written) is done on a worker.
  const AppState& state = window_.state();
  std::vector<ChannelToExport> chosen;
  chosen.reserve(positions.size());
  for (const int p : positions) {
    const Channel& channel = state.catalogue.channels.at(static_cast<size_t>(p));
    const ChannelExtras* extras = channel_extras(state.playlists, channel);
    chosen.push_back({channel, extras ? *extras : ChannelExtras()});
  }
  const QString problem = run_under_progress(
      &window_, QStringLiteral("Exporting..."), [chosen = std::move(chosen), path, app_data = data_folder(window_)] {
        std::string text;
        try {
          text = write_extended_m3u(playlist_of_channels(chosen, app_data));
        } catch (const PlaylistError& e) {
          return QString::fromUtf8(e.what());
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) || !file.commit())
          return QStringLiteral("The playlist could not be written:\n%1: %2").arg(path, file.errorString());
        return QString();
      });
  if (!problem.isEmpty()) {
    show_error(&window_, problem);
    return;
  }
  const QString where = QDir::toNativeSeparators(path);
  window_.set_status_text(positions.size() == 1
                              ? QStringLiteral("1 channel exported to %1").arg(where)
                              : QStringLiteral("%L1 channels exported to %2").arg(positions.size()).arg(where));
}

void PlaylistFlows::export_view() {
  export_positions(window_.state().visible, QStringLiteral("View"));
}

void PlaylistFlows::export_favorites() {
  std::vector<int> positions;
  const std::vector<Channel>& channels = window_.state().catalogue.channels;
  for (size_t p = 0; p < channels.size(); ++p)
    if (channels[p].favorited == 1 && channels[p].type_id <= 1) positions.push_back(static_cast<int>(p));
  export_positions(positions, QStringLiteral("Favorites"));
}

void PlaylistFlows::export_selected() {
  std::vector<int> positions;
  for (const QModelIndex& index : window_.channel_list()->selectionModel()->selectedRows()) {
    const int p = channel_position(window_.state(), index.row());
    if (p >= 0) positions.push_back(p);
  }
  std::sort(positions.begin(), positions.end());
  export_positions(positions, QStringLiteral("Selected Channels"));
}

void PlaylistFlows::open_playlists_dialog() {
  AppState& state = window_.state();
  const QString app_data = data_folder(window_);
  PlaylistsDialog dialog(state.playlists.sources, &window_);
  connect(&dialog, &PlaylistsDialog::rename_requested, this, [&](uint16_t id, const QString& name) {
    if (!may_change(&dialog)) return;
    if (const QString p = rename_source(app_data, state.playlists.sources, id, name); !p.isEmpty()) show_error(&dialog, p);
    dialog.show_sources(state.playlists.sources);
  });
  connect(&dialog, &PlaylistsDialog::group_requested, this, [&](uint16_t id, int32_t group) {
    if (!may_change(&dialog)) return;
    if (const QString p = set_source_group(app_data, state.playlists.sources, id, group); !p.isEmpty()) {
      show_error(&dialog, p);
      return;
    }
    reload_source(id, false, false);
    dialog.show_sources(state.playlists.sources);
  });
  connect(&dialog, &PlaylistsDialog::refresh_requested, this, [&](uint16_t id) {
    refresh_source(id, true);
    dialog.show_sources(state.playlists.sources);
  });
  connect(&dialog, &PlaylistsDialog::remove_requested, this, [&](uint16_t id) {
    if (!may_change(&dialog)) return;
    if (const QString p = remove_source(app_data, state.playlists.sources, id); !p.isEmpty()) {
      show_error(&dialog, p);
      return;
    }
    window_.before_rebuild()();
    remove_source_channels(state.catalogue, state.playlists, id);
    saved_favorites_.erase(id);
    window_.finish_view_change(build_visible_list(state));
    Q_EMIT source_removed(id);
    dialog.show_sources(state.playlists.sources);
  });
  dialog.exec();
}

bool PlaylistFlows::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_ && event->type() == QEvent::DragEnter) {
    auto* drag = static_cast<QDragEnterEvent*>(event);
    // Files from a file manager, a link or a selected address from a browser.
    if (!dropped_playlists(drag->mimeData()->urls(), drag->mimeData()->text()).isEmpty()) {
      drag->acceptProposedAction();
      return true;
    }
  } else if (watched == &window_ && event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList items = dropped_playlists(drop->mimeData()->urls(), drop->mimeData()->text());
    if (items.isEmpty()) return false;
    drop->acceptProposedAction();
    // After the drop has ended: the reading opens a modal window.
    QMetaObject::invokeMethod(this, [this, items] { add_any(items); }, Qt::QueuedConnection);
    return true;
  }
  return QObject::eventFilter(watched, event);
}
