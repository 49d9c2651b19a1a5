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
#include "shell/first_show_marker.h"
#include "shell/guide_hookup.h"
#include "shell/main_window.h"
#include "shell/session_end.h"
#include "shell/splash_screen.h"
#include "version.h"

#include <QApplication>
#include <QLocale>
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

  auto* guide = new GuideHookup(window);

  window.load_catalogue();
  splash.reset();
  if (end_requested) return 0;

  mark_first_show(&window);
  window.show();
  guide->start();
  // Where no window manager activates the new window, its first showing asks the question; the
  // question's gate keeps a later activation from asking again.
  QTimer::singleShot(0, &window, [&] { refresh.main_window_activated(); });
  return app.exec();
}
