#include "services/catalogue_refresh.h"

#include "catalogue/app_state.h"
#include "services/service_addresses.h"
#include "services/service_urls.h"
#include "shell/splash_form.h"
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

bool reload_after_download(AppState& state, ReloadCaller caller, const ReloadSteps& steps, QWidget* window) {
  auto splash = std::make_unique<T_splashForm>(window);
  splash->show_now();
  QString failure;
  try {
    steps.write_user_files();
    steps.reset_catalogue();
    steps.load_user_channels();
    steps.load_channel_database();
    steps.load_settings();
    if (caller == ReloadCaller::UpdateButton) state.sort_flag = !state.sort_flag;
    steps.sort_by_channel();
  } catch (const std::exception& error) {
    failure = QString::fromUtf8(error.what());
    if (failure.isEmpty()) failure = QStringLiteral("The channel list could not be loaded.");
  }
  steps.rebuild_view();
  splash.reset();
  if (failure.isEmpty()) return true;
  show_error(window, failure);
  return false;
}

QUrl update_page() { return QUrl::fromEncoded(update_page_url(feedback_service_base())); }

CatalogueRefresh::CatalogueRefresh(AppState& state, QWidget* window, std::function<int()> run_download_dialog,
                                   ReloadSteps steps, std::function<void(const QUrl&)> open_url)
    : state_(state),
      window_(window),
      run_download_dialog_(std::move(run_download_dialog)),
      steps_(std::move(steps)),
      open_url_(open_url ? std::move(open_url) : [](const QUrl& url) { QDesktopServices::openUrl(url); }) {}

void CatalogueRefresh::main_window_activated() {
  if (!gate_.activated(state_.outdated)) return;
  gate_.begin_own_modal();
  const bool accepted = ask_yes_no(window_, kDownloadQuestion) && run_download_dialog_() == QDialog::Accepted;
  gate_.end_own_modal();
  if (accepted) reload_after_download(state_, ReloadCaller::DownloadQuestion, steps_, window_);
}

void CatalogueRefresh::update_button_clicked() {
  // Not the question's own modal: leaving this dialog by its close box re-arms the question.
  if (run_download_dialog_() != QDialog::Accepted) return;
  if (!reload_after_download(state_, ReloadCaller::UpdateButton, steps_, window_)) return;
  if (ask_yes_no(window_, kWebsiteQuestion)) open_url_(update_page());
}
