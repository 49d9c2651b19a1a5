#include "dialogs/download_dialog.h"

#include "catalogue/catalogue_paths.h"
#include "catalogue/records.h"
#include "services/http_request.h"
#include "services/service_addresses.h"
#include "services/service_urls.h"
#include "services/worker_thread.h"
#include "widgets/messages.h"
#include "widgets/wrapping_label.h"

#include <QFutureWatcher>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <exception>
#include <utility>

namespace {
// The designed size and places, for a status of one line.
constexpr int kWidth = 362;
constexpr int kHeight = 78;
constexpr int kMargin = 7;
constexpr int kStatusTop = 7;
constexpr int kStatusLeft = 58;
constexpr int kBarTop = 27;
constexpr int kButtonTop = 52;
const QRect kButtonPlace(268, kButtonTop, 86, 22);
}  // namespace

DownloadDialog::DownloadDialog(Catalogue& catalogue, bool& outdated, QWidget* parent, CatalogueTrialLoad trial_load)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      catalogue_(catalogue),
      outdated_(outdated),
      trial_load_(std::move(trial_load)) {
  setObjectName(QStringLiteral("DownloadDialog"));
  setWindowTitle(QStringLiteral("update list ..."));
  setModal(true);

  status_caption_ = new QLabel(QStringLiteral("Status:"), this);
  status_caption_->setObjectName(QStringLiteral("StatusLabel"));
  status_caption_->move(10, kStatusTop);

  status_label_ = new WrappingLabel(kStatusReady, this);
  status_label_->setObjectName(QStringLiteral("StatusTextLabel"));

  progress_bar_ = new QProgressBar(this);
  progress_bar_->setObjectName(QStringLiteral("ProgressBar"));
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  progress_bar_->setTextVisible(false);

  cancel_button_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_button_->setObjectName(QStringLiteral("CancelButton"));
  // Return while the download runs must not cut it off; Space on the button and Escape do.
  cancel_button_->setAutoDefault(false);
  connect(cancel_button_, &QPushButton::clicked, this, &DownloadDialog::cancel_download);

  close_button_ = new QPushButton(QStringLiteral("Close"), this);
  close_button_->setObjectName(QStringLiteral("CloseButton"));
  close_button_->setDefault(true);
  connect(close_button_, &QPushButton::clicked, this, &DownloadDialog::close_dialog);
  show_close(true);
  lay_out();
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

void DownloadDialog::set_status(const QString& text) {
  status_label_->setText(text);
  lay_out();
}

void DownloadDialog::show_close(bool close_visible) {
  close_button_->setVisible(close_visible);
  cancel_button_->setVisible(!close_visible);
  (close_visible ? close_button_ : cancel_button_)->setFocus();
}

void DownloadDialog::lay_out() {
  QFont bold = font();
  bold.setBold(true);
  status_caption_->setFont(bold);
  status_caption_->adjustSize();
  // Where the caption's font makes it wider than designed, the status keeps a space from it.
  const int left = std::max(kStatusLeft, status_caption_->x() + status_caption_->width() +
                                             status_label_->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
  const int width = kWidth - left - kMargin;
  const int line = status_label_->fontMetrics().height();
  // However many lines a service's message has, the dialog stays within half the screen's height.
  if (const QScreen* screen = this->screen()) {
    status_label_->set_maximum_lines(screen->availableGeometry().height() / 2 / line);
  }
  const int height = status_label_->heightForWidth(width);
  status_label_->setGeometry(left, kStatusTop, width, height);
  const int below = std::max(0, height - line);
  progress_bar_->setGeometry(kMargin, kBarTop + below, kWidth - 2 * kMargin, 18);
  cancel_button_->setGeometry(kButtonPlace.translated(0, below));
  close_button_->setGeometry(kButtonPlace.translated(0, below));
  setFixedSize(kWidth, kHeight + below);
}

void DownloadDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window system's own showing (restoring a minimised window) is no new download.
  if (!event->spontaneous()) start_download();
}

void DownloadDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::FontChange) lay_out();
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
  install_claim_ = std::make_shared<InstallClaim>();
  install_ = run_on_worker([app_data, payload = std::move(payload), into = catalogue_to_load(catalogue_),
                            trial_load = trial_load_, claim = install_claim_]() mutable {
    return install_catalogue(app_data, std::move(payload), std::move(into), trial_load, *claim);
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
  // A full bar says the new list is in place; whatever else came of the download leaves it empty.
  progress_bar_->setValue(status == kStatusComplete ? 100 : 0);
  show_close(true);
  Q_EMIT download_finished(status);
  if (close_pending_) close_with_result();
}

void DownloadDialog::cancel_download() {
  interrupted_ = true;
  set_status(kStatusInterrupted);
  show_close(true);
  if (request_) request_->abort();
  // A catalogue still loading is dropped unless it is already replacing the file; its outcome
  // then replaces "Interrupted".
  if (installing()) install_claim_->cancel();
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
  // The new channels.dat is in place, or is being put there: it must be loaded however the dialog
  // is left, or the question of an outdated list comes straight back over a file never loaded.
  if (loaded_ || (installing() && !install_claim_->cancel())) {
    close_dialog();
    return;
  }
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
  install_claim_->cancel();
  delete install_watcher_;
  install_watcher_ = nullptr;
  // One that has ended holds its catalogue; one still loading is freed by its worker.
  QFuture<InstallResult> install = std::exchange(install_, {});
  if (install.isFinished()) free_on_worker(install.takeResult());
}

void DownloadDialog::drop_catalogue() {
  if (loaded_) free_on_worker(*std::exchange(loaded_, std::nullopt));
}
