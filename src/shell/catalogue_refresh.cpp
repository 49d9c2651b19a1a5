#include "shell/catalogue_refresh.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/lookups.h"
#include "catalogue/user_files.h"
#include "services/service_addresses.h"
#include "services/service_urls.h"
#include "settings/settings_store.h"
#include "shell/app_state.h"
#include "shell/catalogue_load.h"
#include "shell/splash_screen.h"
#include "views/sorting.h"
#include "widgets/messages.h"

#include <QDesktopServices>
#include <QDialog>

#include <exception>
#include <memory>

void DownloadQuestionGate::deactivated() {
  if (!own_modal_) armed_ = true;
}

bool DownloadQuestionGate::activated(bool outdated) {
  if (own_modal_ || !armed_ || !outdated) return false;
  armed_ = false;
  return true;
}

bool reload_after_download(AppState& state, ReloadCaller caller, QWidget* window, const ReloadHooks& hooks) {
  auto splash = std::make_unique<SplashScreen>(window);
  splash->show_now();

  const QStringList unsaved = write_user_files(state.catalogue);
  if (!unsaved.isEmpty()) {
    splash.reset();
    show_error(window, QStringLiteral("The new channel list was downloaded but is not loaded now, because your "
                                      "favourites and channels could not all be saved first:\n%1\n\n"
                                      "The new list will be loaded at the next start.")
                           .arg(unsaved.join(QLatin1Char('\n'))));
    return false;
  }

  QString failure;
  try {
    reset_catalogue(state.catalogue);
    load_user_files(state.catalogue, window);
    if (hooks.load_channel_database) {
      hooks.load_channel_database(state);
    } else if (const QString error = load_database_keeping_user_channels(state); !error.isEmpty()) {
      throw CatalogueError(error.toStdString());
    }
    load_settings(state.catalogue.filter);
    if (caller == ReloadCaller::UpdateButton) sort_after_update_reload(state);
    else sort_after_load(state);
  } catch (const std::exception& error) {
    failure = QString::fromUtf8(error.what());
    if (failure.isEmpty()) failure = QStringLiteral("The channel list could not be loaded.");
  }
  const ViewUpdate update = rebuild_view(state, hooks.before_rebuild);
  if (hooks.after_rebuild) hooks.after_rebuild(update);
  splash.reset();
  if (failure.isEmpty()) return true;
  show_error(window, failure);
  return false;
}

QUrl update_page() { return QUrl::fromEncoded(update_page_url(feedback_service_base())); }

CatalogueRefresh::CatalogueRefresh(AppState& state, QWidget* window, std::function<int()> run_download_dialog,
                                   ReloadHooks hooks, std::function<void(const QUrl&)> open_url)
    : state_(state),
      window_(window),
      run_download_dialog_(std::move(run_download_dialog)),
      hooks_(std::move(hooks)),
      open_url_(open_url ? std::move(open_url) : [](const QUrl& url) { QDesktopServices::openUrl(url); }) {}

void CatalogueRefresh::main_window_activated() {
  if (!gate_.activated(state_.outdated)) return;
  gate_.begin_own_modal();
  const bool accepted = ask_yes_no(window_, kDownloadQuestion) && run_download_dialog_() == QDialog::Accepted;
  gate_.end_own_modal();
  if (accepted) reload_after_download(state_, ReloadCaller::DownloadQuestion, window_, hooks_);
}

void CatalogueRefresh::update_button_clicked() {
  // Not the question's own modal: leaving this dialog by its close box re-arms the question.
  if (run_download_dialog_() != QDialog::Accepted) return;
  if (!reload_after_download(state_, ReloadCaller::UpdateButton, window_, hooks_)) return;
  if (ask_yes_no(window_, kWebsiteQuestion)) open_url_(update_page());
}
