#include "shell/startup.h"

#include "playback/player_control.h"
#include "playback/screen_saver_inhibitor.h"
#include "services/catalogue_refresh.h"
#include "services/update_form.h"
#include "shell/catalogue_load.h"
#include "shell/channel_dialogs.h"
#include "shell/main_form.h"
#include "shell/session_end.h"
#include "shell/splash_form.h"
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
  QApplication::setApplicationDisplayName(QStringLiteral(QUOVI_PRODUCT_NAME));
  QApplication::setApplicationName(QStringLiteral("Quovi"));
  QApplication::setOrganizationName(QStringLiteral("Talvex"));
  QApplication::setApplicationVersion(QStringLiteral(QUOVI_PRODUCT_VERSION));
  use_c_number_format();

  AppState state;
  T_mainForm form(state);

  // Without a usable player the user has been told; start-up still runs to its end (so the
  // catalogue is looked at) and the program then ends without entering its message loop.
  PlayerControl player(state, &form, &form);
  form.attach_player_control(&player);
  const bool end_requested = !player.createPlayer(form.video_area());
  ScreenSaverInhibitor screen_saver(&form);

  auto splash = std::make_unique<T_splashForm>(&form);
  splash->show_now();

  T_updateForm update_form(state, &form);
  install_channel_dialogs(form);
  CatalogueRefresh refresh(state, &form, [&] { return update_form.exec(); }, form.reload_hooks());

  MainFormHooks& hooks = form.hooks();
  // A session that ends without a close of the window (a signal, the session manager) writes the
  // user files as a close does, and only once.
  SessionEnd session_end(state, &form);
  hooks.form_close_query = [&] { return session_end.close_query(); };
  session_end.listen();
  hooks.get_data = [&] {
    if (const auto update = GetData(state, &form, form.before_rebuild())) form.finish_view_change(*update);
  };
  hooks.update_click = [&] { refresh.update_button_clicked(); };
  hooks.activation_changed = [&](bool active) {
    if (!active) {
      refresh.main_window_deactivated();
      return;
    }
    // Asked once the activation has been handled, not from inside the window's event.
    QTimer::singleShot(0, &form, [&] { refresh.main_window_activated(); });
  };

  form.GetData();
  splash.reset();
  if (end_requested) return 0;

  form.show();
  // Where no window manager activates the new window, its first showing asks the question; the
  // question's gate keeps a later activation from asking again.
  QTimer::singleShot(0, &form, [&] { refresh.main_window_activated(); });
  return app.exec();
}
