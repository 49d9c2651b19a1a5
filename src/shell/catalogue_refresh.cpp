#include "shell/catalogue_refresh.h"

#include "catalogue/user_files.h"
#include "services/service_addresses.h"
#include "services/service_urls.h"
#include "services/worker_thread.h"
#include "settings/settings_store.h"
#include "settings/source_table_choice.h"
#include "shell/app_state.h"
#include "shell/catalogue_load.h"
#include "shell/splash_screen.h"
#include "views/sorting.h"
#include "widgets/messages.h"

#include <QDesktopServices>
#include <QWidget>

#include <exception>
#include <memory>
#include <utility>

void DownloadQuestionGate::deactivated() {
  if (!own_modal_) armed_ = true;
}

bool DownloadQuestionGate::activated(bool outdated) {
  if (own_modal_ || !armed_ || !outdated) return false;
  armed_ = false;
  return true;
}

bool reload_after_download(AppState& state, ReloadCaller caller, Catalogue downloaded, QWidget* window,
                           const ReloadHooks& hooks) {
  auto splash = std::make_unique<SplashScreen>(window);
  // The events go on while the new catalogue is made ready; the list must not be used meanwhile.
  splash->setWindowModality(Qt::ApplicationModal);
  splash->show_now();

  // The texts are taken here; the disk is waited for on a worker, which never sees the catalogue.
  QFuture<QStringList> written = run_on_worker(
      [texts = user_file_texts(state.catalogue)] { return write_user_file_texts(texts); });
  wait_running_events(written);
  const QStringList unsaved = written.result();
  if (!unsaved.isEmpty()) {
    splash.reset();
    free_on_worker(std::move(downloaded));
    show_error(window, QStringLiteral("The new channel list was downloaded but is not loaded now, because your "
                                      "favourites and channels could not all be saved first:\n%1\n\n"
                                      "The new list will be loaded at the next start.")
                           .arg(unsaved.join(QLatin1Char('\n'))));
    return false;
  }

  QString failure;
  try {
    CatalogueAssembly assembly = begin_assembly({std::move(downloaded), {}}, state, window);
    load_settings(assembly.list.catalogue.filter);
    restore_source_table_choice(assembly.list.catalogue);
    const auto sort = caller == ReloadCaller::UpdateButton ? &sort_after_update_reload : &sort_after_load;
    QFuture<AssembledList> assembled =
        run_on_worker([assembly = std::move(assembly), sort]() mutable { return finish_assembly(std::move(assembly), sort); });
    wait_running_events(assembled);
    AssembledList next = assembled.takeResult();
    adopt_list_state(state, std::move(next.list), hooks.before_rebuild);
    if (hooks.after_rebuild) hooks.after_rebuild(next.update);
  } catch (const std::exception& error) {
    failure = QString::fromUtf8(error.what());
    if (failure.isEmpty()) failure = QStringLiteral("The channel list could not be loaded.");
  }
  splash.reset();
  // Where the splash and the closed dialog were, the window shows the new list at once, not what
  // the window system left there until the next message loop (a question may follow).
  if (window && window->isVisible()) window->repaint();
  if (failure.isEmpty()) return true;
  show_error(window, failure);
  return false;
}

QUrl update_page() { return QUrl::fromEncoded(update_page_url(feedback_service_base())); }

CatalogueRefresh::CatalogueRefresh(AppState& state, QWidget* window, DownloadDialogRun run_download_dialog,
                                   ReloadHooks hooks, std::function<void(const QUrl&)> open_url)
    : state_(state),
      window_(window),
      run_download_dialog_(std::move(run_download_dialog)),
      hooks_(std::move(hooks)),
      open_url_(open_url ? std::move(open_url) : [](const QUrl& url) { QDesktopServices::openUrl(url); }) {}

void CatalogueRefresh::main_window_activated() {
  if (!gate_.activated(state_.outdated)) return;
  gate_.begin_own_modal();
  std::optional<Catalogue> downloaded;
  if (ask_yes_no(window_, kDownloadQuestion)) downloaded = run_download_dialog_();
  gate_.end_own_modal();
  if (downloaded) reload_after_download(state_, ReloadCaller::DownloadQuestion, std::move(*downloaded), window_, hooks_);
}

void CatalogueRefresh::update_button_clicked() {
  // Not the question's own modal: leaving this dialog by its close box re-arms the question.
  std::optional<Catalogue> downloaded = run_download_dialog_();
  if (!downloaded) return;
  if (!reload_after_download(state_, ReloadCaller::UpdateButton, std::move(*downloaded), window_, hooks_)) return;
  if (ask_yes_no(window_, kWebsiteQuestion)) open_url_(update_page());
}
