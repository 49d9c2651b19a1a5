#include "shell/startup.h"

#include "catalogue/catalogue_paths.h"
#include "dialogs/channel_dialog.h"
#include "dialogs/download_dialog.h"
#include "dialogs/filter_dialog.h"
#include "playback/player_control.h"
#include "playback/screen_saver_inhibitor.h"
#include "shell/catalogue_load.h"
#include "shell/catalogue_refresh.h"
#include "shell/command_wiring.h"
#include "shell/context_menu.h"
#include "shell/first_show_marker.h"
#include "shell/main_window.h"
#include "shell/playlist_flows.h"
#include "shell/session_end.h"
#include "shell/splash_screen.h"
#include "version.h"

#include <QApplication>
#include <QLocale>
#include <QToolButton>
#include <QTimer>

#include <clocale>
#include <memory>

namespace {
// Numbers are read and written with "." whatever the user's locale; libmpv needs this as well.
void use_c_number_format() {
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
}
}  // namespace

int run_program(QApplication& app) {
  QApplication::setApplicationName(QStringLiteral("Quovi"));
  QApplication::setOrganizationName(QStringLiteral("Talvex"));
  QApplication::setApplicationVersion(QStringLiteral(QUOVI_PRODUCT_VERSION));
  use_c_number_format();
  // Reading the channel database is the longest step of the start-up; it runs on a second core
  // while the windows are made, and the start-up load takes it.
  CatalogueReadAhead read_ahead(app_data_folder());

  AppState state;
  MainWindow window(state);

  // Without a usable player the user has been told; start-up still runs to its end (so the
  // catalogue is looked at) and the program then ends without entering its message loop.
  PlayerControl player(state, &window, &window);
  window.attach_player_control(&player);
  const bool end_requested = !player.createPlayer(window.video_area());
  ScreenSaverInhibitor screen_saver(&window);

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
  wire_commands(window, {&player, filter_dialog, channel_dialog, &refresh, &session_end, &read_ahead});

  // Playlists: their channels join the list after the catalogue's, their favourites are written
  // as they are marked, and each channel's HTTP options reach the player.
  PlaylistFlows playlists(window);
  playlists.add_menu_entries(window.context_menu()->menu());
  for (auto signal : {&ChannelContextMenu::add_favorite_chosen, &ChannelContextMenu::remove_favorite_chosen})
    QObject::connect(window.context_menu(), signal, &playlists, &PlaylistFlows::save_favorites);
  QObject::connect(window.favorited_button(), &QToolButton::clicked, &playlists, &PlaylistFlows::save_favorites);
  player.setHttpOptionsSource([&state](int index) {
    const HttpOptionsFound found = http_options_for(state.playlists, state.catalogue.channels.at(static_cast<size_t>(index)));
    return StreamHttpOptions{QByteArray::fromStdString(found.user_agent), QByteArray::fromStdString(found.referrer)};
  });

  window.load_catalogue();
  playlists.load_at_start();
  splash.reset();
  if (end_requested) return 0;

  mark_first_show(&window);
  window.show();
  // Where no window manager activates the new window, its first showing asks the question; the
  // question's gate keeps a later activation from asking again.
  QTimer::singleShot(0, &window, [&] { refresh.main_window_activated(); });
  // Playlist files and addresses named on the command line, once the window is there.
  QStringList named = QApplication::arguments().mid(1);
  named.removeIf([](const QString& a) { return a.startsWith(QLatin1Char('-')); });
  // Addresses whose copies have grown old are read again once the window is up.
  QTimer::singleShot(0, &window, [&playlists] { playlists.refresh_due_sources(); });
  if (!named.isEmpty())
    QTimer::singleShot(0, &window, [&playlists, named] { playlists.add_any(named); });
  return app.exec();
}
