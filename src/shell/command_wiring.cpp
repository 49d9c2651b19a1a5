#include "shell/command_wiring.h"

#include "catalogue/user_files.h"
#include "desktop/mpris_service.h"
#include "dialogs/channel_commands.h"
#include "dialogs/channel_dialog.h"
#include "dialogs/filter_dialog.h"
#include "playback/player_control.h"
#include "services/feedback.h"
#include "shell/catalogue_load.h"
#include "shell/catalogue_refresh.h"
#include "shell/channel_table_model.h"
#include "shell/favorite_star.h"
#include "shell/links.h"
#include "shell/main_window.h"
#include "shell/raise_window.h"
#include "shell/session_end.h"
#include "views/view_builder.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

namespace {
using ViewCommand = ViewUpdate (*)(ChannelListState&, const BeforeRebuild&);
using PositionCommand = bool (*)(Catalogue&, int, QWidget*);

// A view button: the view builder's command, then the window shows the rebuilt list.
std::function<void()> view(MainWindow& w, ViewCommand command) {
  return [&w, command] { w.finish_view_change(command(w.state(), w.before_rebuild())); };
}

// A context menu command on the selected row's channel; the list is rebuilt when it says so.
std::function<void(int)> on_channel(MainWindow& w, PositionCommand command) {
  return [&w, command](int row) {
    if (command(w.state().catalogue, w.model()->channel_position(row), &w)) w.rebuild_view();
  };
}

// A media key or the desktop's player controls: what the player buttons and the list do for the
// same wish. Next and Previous move the selection and play, as the arrow keys and Enter do.
void media_command(MainWindow& w, PlayerControl& control, MediaCommand command) {
  PlayerComponent* const player = control.player();
  const bool loaded = player && !player->URL().isEmpty();
  switch (command) {
    case MediaCommand::Play:
      if (loaded) control.play();
      break;
    case MediaCommand::Pause: control.pause(); break;
    case MediaCommand::PlayPause:
      if (loaded && counts_as_playing(player->status()))
        control.pause();
      else if (loaded)
        control.play();
      break;
    case MediaCommand::Stop:
      control.pause();  // live channels stop here already
      if (player) player->stop();
      break;
    case MediaCommand::Next:
    case MediaCommand::Previous:
      if (const int row = neighbour_row(command, w.selected_row(), w.model()->row_count()); row >= 0) {
        w.select_row(row);
        w.play_selected_channel();
      }
      break;
  }
}

// A player button; nothing once the player is gone.
std::function<void()> player(PlayerControl* control, void (PlayerControl::*slot)()) {
  if (!control) return {};
  return [p = QPointer<PlayerControl>(control), slot] {
    if (p) (p.data()->*slot)();
  };
}
}  // namespace

void wire_commands(MainWindow& w, const CommandTargets& t) {
  AppState& state = w.state();
  MainWindowHooks& on = w.hooks();
  const QPointer<PlayerControl> control(t.player);
  FilterDialog* const filter = t.filter_dialog;
  ChannelDialog* const channel = t.channel_dialog;
  CatalogueRefresh* const refresh = t.refresh;
  SessionEnd* const session_end = t.session_end;
  CatalogueReadAhead* const read_ahead = t.read_ahead;
  const QPointer<MprisService> mpris(t.mpris);

  // --- Program life ----------------------------------------------------------------------------
  on.load_catalogue = [&w, &state, read_ahead] {
    const auto update = load_catalogue(state, &w, w.before_rebuild(), QDateTime::currentDateTime(), read_ahead);
    if (update) w.finish_view_change(*update);
  };
  on.save_before_close = [&w, &state, session_end] {
    return session_end ? session_end->close_query() : save_user_files(state.catalogue, &w);
  };
  on.activation_changed = [&w, refresh](bool active) {
    // Asked once the activation has been handled, not from inside the window's event.
    if (refresh && active) QTimer::singleShot(0, &w, [refresh] { refresh->main_window_activated(); });
  };
  // Only the user leaving the program counts; a box of its own that opens and closes does not.
  if (refresh)
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, &w, [refresh](Qt::ApplicationState now) {
      if (now != Qt::ApplicationActive) refresh->program_deactivated();
    });

  // --- View buttons, country list, column headers, search, filter ------------------------------
  on.show_tv = view(w, &choose_tv_view);                // "TV"
  on.show_radio = view(w, &choose_radio_view);          // "Radio"
  on.show_video = view(w, &choose_video_view);          // "Video"
  on.show_favorites = view(w, &choose_favorites_view);  // "Favorites"
  on.clear_filter = view(w, &clear_filter);             // "Clear Filter"
  on.choose_country = [&w, &state](int entry) {
    w.finish_view_change(choose_country(state, entry, w.before_rebuild()));
  };
  on.sort_by_column = [&w](int column) { w.sort_by_column(column); };
  on.search = [&w] { w.open_find_dialog(); };  // the Search button, Ctrl+F
  on.find_next = [&w] { w.find_next(); };
  on.open_filter_dialog = [filter] {
    if (filter) filter->exec();
  };
  on.refill_dialog_lists = [filter, channel] {
    if (filter) filter->refill_lists();
    if (channel) channel->refill_lists();
  };

  // --- Update, Add, the context menu of the selected row, the links ----------------------------
  on.download_catalogue = [refresh] {
    if (refresh) refresh->update_button_clicked();
  };
  on.add_channel = [channel] {
    if (channel) add_channel_command(*channel);
  };
  on.watch = [&w] { w.play_selected_channel(); };     // Watch/Listen, a double click
  on.play_key = [&w] { w.play_selected_channel(); };  // Enter or Return on the selected row
  on.menu_key = [&w] { w.open_channel_menu_for_selected_row(); };  // Menu key, Shift+F10
  on.add_to_favorites = on_channel(w, &add_to_favorites);
  on.remove_from_favorites = on_channel(w, &remove_from_favorites);
  on.open_homepage = [&w] { w.open_homepage(); };
  on.rate = [&w, &state](int row, int stars) {
    if (const int p = w.model()->channel_position(row); p >= 0) send_rating(state.catalogue, QString::number(stars), p);
  };
  on.flag = [&w, &state](int row, const QString& word) {
    if (const int p = w.model()->channel_position(row); p >= 0) send_flag(state.catalogue, word, p);
  };
  on.update_channel = [&w, &state, channel](int row) {
    if (channel) update_channel_command(*channel, state, row, support_mail_address(), &w);
  };
  on.remove_channel = on_channel(w, &remove_user_channel);
  on.open_site = [&w] { w.open_site(); };
  on.open_mail = [&w] { w.open_mail(); };

  // --- Player bar --------------------------------------------------------------------------------
  if (control) {
    on.load_row = [control, mpris, &state](int row) {
      if (control) control->loadRow(row);
      if (mpris) mpris->set_track(mpris_track(state.catalogue, channel_position(state, row)));
    };
    on.set_volume_at = [control](int x) {
      if (control) control->volumeReleasedAt(x);
    };
    on.step_volume = [control](int delta) {
      if (control) control->stepVolume(delta);
    };
  }
  on.play = player(t.player, &PlayerControl::play);
  on.pause = player(t.player, &PlayerControl::pause);
  on.fullscreen = player(t.player, &PlayerControl::fullScreen);
  on.video_double_clicked = player(t.player, &PlayerControl::fullScreen);
  on.leave_fullscreen = player(t.player, &PlayerControl::leaveFullScreen);
  on.mute = player(t.player, &PlayerControl::mute);
  on.record = player(t.player, &PlayerControl::toggleRecording);
  on.unmute = player(t.player, &PlayerControl::unmute);
  // The star: the channel in the player (the selected row's) becomes a favourite or stops being one.
  on.favorite_button_clicked = [&w, &state] {
    if (favorite_star_clicked(state.catalogue, w.selected_channel_position(), &w)) w.rebuild_view();
  };

  // --- Media keys in the window, and the desktop's player controls -------------------------------
  on.media_key = [&w, control](MediaCommand command) {
    if (control) media_command(w, *control, command);
  };
  if (mpris) {
    // While a box waits for its answer (an error, a question) the desktop's commands are refused:
    // Next and Previous would play on behind it and stack one more box for every dead channel.
    mpris->hooks().command = [key = on.media_key](MediaCommand command) {
      if (!QApplication::activeModalWidget()) key(command);
    };
    mpris->hooks().raise = [&w] { raise_window(w); };
    // Quit ends the program as a termination signal does: the window closes as by its close box,
    // and the program ends even from inside a message's own loop.
    mpris->hooks().quit = [&w, session_end] {
      if (session_end)
        session_end->terminate();
      else
        w.close();
    };
    if (control) QObject::connect(control, &PlayerControl::now_playing_changed, mpris, &MprisService::set_now_playing);
  }

  // --- Feedback from the player's events ---------------------------------------------------------
  on.submit_user_channel = [&state](int, int channel_index) { submit_channel_at(state, channel_index); };
  on.report_broken_channel = [&state](int, int channel_index) { report_bad_channel_at(state, channel_index); };

  // --- The dialogs' own buttons: "Set Filter" and "Add Channel" rebuild the list ---------------
  if (filter) filter->hooks().rebuild_view = [&w] { w.rebuild_view(); };
  if (channel) channel->hooks().rebuild_view = [&w] { w.rebuild_view(); };
}
