#include "shell/startup.h"

#include "catalogue/catalogue_paths.h"
#include "desktop/mpris_service.h"
#include "dialogs/channel_dialog.h"
#include "dialogs/download_dialog.h"
#include "dialogs/filter_dialog.h"
#include "playback/mpv_library.h"
#include "playback/player_control.h"
#include "playback/screen_saver_inhibitor.h"
#include "services/logo_cache.h"
#include "shell/catalogue_load.h"
#include "shell/catalogue_refresh.h"
#include "shell/channel_logos.h"
#include "shell/channel_number_column.h"
#include "shell/command_wiring.h"
#include "shell/context_menu.h"
#include "shell/desktop_identity.h"
#include "shell/first_show_marker.h"
#include "shell/guide_hookup.h"
#include "shell/main_window.h"
#include "shell/one_copy_start.h"
#include "shell/playlist_flows.h"
#include "shell/playlist_guides.h"
#include "shell/session_end.h"
#include "shell/splash_screen.h"
#include "shell/window_memory.h"
#include "version.h"

#include <QApplication>
#include <QClipboard>
#include <QLocale>
#include <QToolButton>
#include <QTimer>
#include <QThreadPool>

#include <clocale>
#include <memory>
#include <optional>

namespace {
// Numbers are read and written with "." whatever the user's locale; libmpv needs this as well.
void use_c_number_format() {
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
}

// Everything that lives with the window and does something when it goes: the player stops (and
// gives the sound device back), a download or install under way is cancelled.
int run_window(QApplication& app, AppState& state, MainWindow& window, CatalogueReadAhead& read_ahead,
               OneCopyStart& one_copy) {
  // The player comes once the window has been painted (below); until then the window shows the
  // state a new player gives it: stopped, volume 30, black video area.
  PlayerControl player(state, &window, &window);
  window.attach_player_control(&player);
  ScreenSaverInhibitor screen_saver(&window);
  // The desktop's player controls and media keys reach the player; a program without a usable
  // player ends before they can be used.
  std::optional<MprisService> mpris;
  mpris.emplace(&player, QString::fromLatin1(kDesktopId));

  auto splash = std::make_unique<SplashScreen>(&window);
  splash->show_now();

  DownloadDialog download_dialog(state.catalogue, state.outdated, &window);
  auto* filter_dialog = new FilterDialog(state, {}, &window);
  auto* channel_dialog = new ChannelDialog(state, {}, &window);
  CatalogueRefresh refresh(state, &window, [&] { return download_dialog.run(); }, window.reload_hooks());
  // A session that ends without a close of the window (a signal, the session manager) writes the
  // user files as a close does, and only once.
  SessionEnd session_end(state, &window);
  session_end.listen();
  wire_commands(window, {&player, filter_dialog, channel_dialog, &refresh, &session_end, &read_ahead,
                         mpris ? &*mpris : nullptr});

  auto* guide = new GuideHookup(window);

  // Playlists: their channels join the list after the catalogue's, their favourites are written
  // as they are marked, and each channel's HTTP options reach the player.
  PlaylistFlows playlists(window);
  new ChannelNumberColumn(window);  // the window owns it
  playlists.add_menu_entries(window.context_menu()->menu());
  for (auto signal : {&ChannelContextMenu::add_favorite_chosen, &ChannelContextMenu::remove_favorite_chosen})
    QObject::connect(window.context_menu(), signal, &playlists, &PlaylistFlows::save_favorites);
  QObject::connect(window.favorited_button(), &QToolButton::clicked, &playlists, &PlaylistFlows::save_favorites);
  connect_playlist_guides(state, playlists, *guide);
  // A playlist channel's logo (its tvg-logo) beside its name once it is in the player.
  new ChannelLogos(window, &guide->panel(), [&state](const Channel& channel) { return logo_for(state.playlists, channel); },
                   logo_cache_folder());
  one_copy.serve(window, playlists);
  player.setHttpOptionsSource([&state](int index) {
    const HttpOptionsFound found = http_options_for(state.playlists, state.catalogue.channels.at(static_cast<size_t>(index)));
    return StreamHttpOptions{QByteArray::fromStdString(found.user_agent), QByteArray::fromStdString(found.referrer),
                             QByteArray::fromStdString(found.headers)};
  });

  window.load_catalogue();
  playlists.load_at_start();
  splash.reset();

  // The windows where the user left them; written as the program ends, however it ends.
  restore_window_memory(window, *guide);
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window, guide] { save_window_memory(window, *guide); });

  mark_first_show(&window);
  const auto make_player = [&] {
    // Input that arrives while the library loads waits in the queue, so the first click finds the
    // player. Without a usable player the user has been told, and the program ends without the
    // close query.
    if (!player.createPlayer(window.video_area())) {
      QCoreApplication::exit(0);
      return;
    }
    // Where no window manager activates the new window, its first showing asks the question; the
    // question's gate keeps a later activation from asking again.
    refresh.main_window_activated();
  };
  // Queued once more, so that whatever else waited for the first paint (the launch benchmark's
  // line) comes first.
  after_first_paint(&window, [&] { QTimer::singleShot(0, &window, make_player); });
  window.show();
  // Loading libmpv and the two hundred libraries behind it takes about as long as everything above;
  // it starts now, when the start-up makes no more threads (a thread cannot start while a library
  // loads), and goes on while the window paints.
  start_opening_player_library();
  guide->start();
  // Playlist files and addresses named on the command line, once the window is there.
  QStringList named = QApplication::arguments().mid(1);
  named.removeIf([](const QString& a) { return a.startsWith(QLatin1Char('-')); });
  // Addresses whose copies have grown old are read again once the window is up.
  QTimer::singleShot(0, &window, [&playlists] { playlists.refresh_due_sources(); });
  if (!named.isEmpty())
    QTimer::singleShot(0, &window, [&playlists, named] { playlists.add_any(named); });
  return app.exec();
}
}  // namespace

int run_program(QApplication& app, const ProgramEnd& end) {
  QApplication::setApplicationName(QStringLiteral("Quovi"));
  QApplication::setOrganizationName(QStringLiteral("Talvex"));
  QApplication::setApplicationVersion(QStringLiteral(QUOVI_PRODUCT_VERSION));
  use_c_number_format();
  // A start while another copy runs hands its files and addresses over and ends here.
  OneCopyStart one_copy(app_data_folder(), QApplication::arguments().mid(1));
  if (one_copy.handed_over()) return 0;
  // Reading the channel database is the longest step of the start-up; it runs on a second core
  // while the windows are made, and the start-up load takes it.
  CatalogueReadAhead read_ahead(app_data_folder());

  AppState state;
  one_copy.apply(state);
  MainWindow window(state);
  const int exit_code = run_window(app, state, window, read_ahead, one_copy);
  // Whatever the run handed to workers (a catalogue being installed or freed) finishes before the end.
  QThreadPool::globalInstance()->waitForDone();
  // Text copied from the program lives in the program; the application object hands it over to
  // the desktop's clipboard keeper as it goes, so it must go the long way.
  QClipboard* clipboard = QGuiApplication::clipboard();
  const bool holds_clipboard = clipboard->ownsClipboard() || clipboard->ownsSelection();
  if (end && !holds_clipboard) end(exit_code);
  return exit_code;
}
