#include "dialogs/download_dialog.h"

#include "catalogue/catalogue_paths.h"
#include "catalogue/records.h"
#include "services/http_request.h"
#include "services/service_addresses.h"
#include "services/service_urls.h"
#include "services/worker_thread.h"
#include "widgets/messages.h"

#include <QFutureWatcher>
#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>
#include <QToolButton>

#include <exception>
#include <utility>

DownloadDialog::DownloadDialog(Catalogue& catalogue, bool& outdated, QWidget* parent, CatalogueTrialLoad trial_load)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      catalogue_(catalogue),
      outdated_(outdated),
      trial_load_(std::move(trial_load)) {
  setObjectName(QStringLiteral("DownloadDialog"));
  setWindowTitle(QStringLiteral("update list ..."));
  setModal(true);
  setFixedSize(362, 78);

  status_caption_ = new QLabel(QStringLiteral("Status:"), this);
  status_caption_->setObjectName(QStringLiteral("StatusLabel"));
  QFont bold = status_caption_->font();
  bold.setBold(true);
  status_caption_->setFont(bold);
  status_caption_->move(10, 7);
  status_caption_->adjustSize();

  status_label_ = new QLabel(kStatusReady, this);
  status_label_->setObjectName(QStringLiteral("StatusTextLabel"));
  status_label_->setGeometry(58, 7, 362 - 58 - 7, status_caption_->height());
  status_label_->setTextFormat(Qt::PlainText);

  progress_bar_ = new QProgressBar(this);
  progress_bar_->setObjectName(QStringLiteral("ProgressBar"));
  progress_bar_->setGeometry(7, 27, 348, 18);
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  progress_bar_->setTextVisible(false);

  cancel_button_ = new QToolButton(this);
  cancel_button_->setObjectName(QStringLiteral("CancelButton"));
  cancel_button_->setText(QStringLiteral("Cancel"));
  cancel_button_->setGeometry(268, 52, 86, 22);
  connect(cancel_button_, &QToolButton::clicked, this, &DownloadDialog::cancel_download);

  close_button_ = new QToolButton(this);
  close_button_->setObjectName(QStringLiteral("CloseButton"));
  close_button_->setText(QStringLiteral("Close"));
  close_button_->setGeometry(268, 52, 86, 22);
  connect(close_button_, &QToolButton::clicked, this, &DownloadDialog::close_dialog);
  show_close(true);
}

DownloadDialog::~DownloadDialog() {
  drop_request();
  drop_install();
  drop_catalogue();
}

std::optional<Catalogue> DownloadDialog::run() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return take_catalogue();
}

std::optional<Catalogue> DownloadDialog::take_catalogue() { return std::exchange(loaded_, std::nullopt); }

QString DownloadDialog::status_text() const { return status_label_->text(); }
int DownloadDialog::progress() const { return progress_bar_->value(); }

void DownloadDialog::set_status(const QString& text) { status_label_->setText(text); }

void DownloadDialog::show_close(bool close_visible) {
  close_button_->setVisible(close_visible);
  cancel_button_->setVisible(!close_visible);
}

void DownloadDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window system's own showing (restoring a minimised window) is no new download.
  if (!event->spontaneous()) start_download();
}

void DownloadDialog::start_download() {
  drop_request();
  drop_install();
  drop_catalogue();
  progress_bar_->setValue(0);
  set_status(kStatusReady);
  interrupted_ = false;
  close_pending_ = false;
  work_total_ = 0;
  show_close(false);

  request_ = new HttpRequest(this);
  reply_limit_ = catalogue_reply_limit();
  request_->set_max_body_bytes(reply_limit_);
  connect(request_, &HttpRequest::work_begin, this, &DownloadDialog::on_transfer_started);
  connect(request_, &HttpRequest::work, this, &DownloadDialog::on_transfer_progress);
  connect(request_, &HttpRequest::finished, this, &DownloadDialog::on_transfer_finished);
  request_->get(catalogue_request_url(catalogue_service_base(), catalogue_.version_stamp));
}

void DownloadDialog::on_transfer_started(qint64 total) {
  // The dialog keeps the count in 32 bits; a larger announcement wraps like the header field does.
  work_total_ = static_cast<int32_t>(static_cast<uint32_t>(static_cast<quint64>(total) & 0xFFFFFFFFu));
}

void DownloadDialog::on_transfer_progress(qint64 count) {
  if (interrupted_) return;
  // Without an announced size the bar and text keep their last values.
  if (const auto percent = progress_percent(count, work_total_)) {
    progress_bar_->setValue(*percent);
    set_status(progress_text(count, work_total_));
  }
}

void DownloadDialog::on_transfer_finished() {
  HttpRequest* request = request_;
  request_ = nullptr;
  const QString error = request->too_large() ? reply_too_large_status(reply_limit_) : request->error();
  DownloadReply reply = interpret_reply(error, request->take_body());
  request->deleteLater();
  if (reply.kind == DownloadReply::Kind::Catalogue) start_install(std::move(reply.payload));
  else finish(reply.status);
}

void DownloadDialog::start_install(std::string payload) {
  // Before the first catalogue load the folder may not be known yet; never write beside "/".
  const QString app_data = catalogue_.app_data.isEmpty() ? app_data_folder() : catalogue_.app_data;
  progress_bar_->setRange(0, 0);  // busy while the new catalogue loads
  install_cancelled_ = std::make_shared<std::atomic<bool>>(false);
  install_ = run_on_worker([app_data, payload = std::move(payload), into = catalogue_to_load(catalogue_),
                            trial_load = trial_load_, cancelled = install_cancelled_]() mutable {
    return install_catalogue(app_data, std::move(payload), std::move(into), trial_load, *cancelled);
  });
  auto* watcher = new QFutureWatcher<InstallResult>(this);
  install_watcher_ = watcher;
  connect(watcher, &QFutureWatcherBase::finished, this, &DownloadDialog::on_install_finished);
  watcher->setFuture(install_);
}

void DownloadDialog::on_install_finished() {
  install_watcher_->deleteLater();
  install_watcher_ = nullptr;
  InstallResult installed;
  try {
    installed = std::exchange(install_, {}).takeResult();
  } catch (const std::exception& error) {
    // Out of memory, most likely: channels.dat was not replaced.
    installed.status = kStatusDamagedPrefix + QString::fromUtf8(error.what());
  }
  progress_bar_->setRange(0, 100);
  if (installed.status == kStatusComplete) loaded_ = std::move(installed.catalogue);
  if (!installed.write_error.isEmpty()) show_error(this, installed.write_error);
  finish(installed.status);
}

void DownloadDialog::finish(const QString& status) {
  set_status(status);
  progress_bar_->setValue(100);
  show_close(true);
  Q_EMIT download_finished(status);
  if (close_pending_) close_with_result();
}

void DownloadDialog::cancel_download() {
  interrupted_ = true;
  set_status(kStatusInterrupted);
  show_close(true);
  if (request_) request_->abort();
  // A catalogue still loading is dropped unless it has already replaced the file.
  if (installing()) install_cancelled_->store(true);
}

void DownloadDialog::close_dialog() {
  // The cancelled transfer ends within moments; the dialog closes once its outcome is known.
  if (downloading()) {
    close_pending_ = true;
    return;
  }
  close_with_result();
}

void DownloadDialog::close_with_result() {
  close_pending_ = false;
  outdated_ = false;
  if (status_text() == kStatusComplete) accept();
  else QDialog::reject();
}

void DownloadDialog::reject() {
  drop_request();
  drop_install();
  drop_catalogue();
  QDialog::reject();
}

void DownloadDialog::drop_request() {
  if (!request_) return;
  HttpRequest* request = request_;
  request_ = nullptr;
  request->disconnect(this);
  delete request;
}

void DownloadDialog::drop_install() {
  if (!installing()) return;
  install_cancelled_->store(true);
  delete install_watcher_;
  install_watcher_ = nullptr;
  // One that has ended holds its catalogue; one still loading is freed by its worker.
  QFuture<InstallResult> install = std::exchange(install_, {});
  if (install.isFinished()) free_on_worker(install.takeResult());
}

void DownloadDialog::drop_catalogue() {
  if (loaded_) free_on_worker(*std::exchange(loaded_, std::nullopt));
}
