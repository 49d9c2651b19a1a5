#include "services/update_form.h"

#include "catalogue/app_state.h"
#include "catalogue/catalogue_paths.h"
#include "services/http_request.h"
#include "services/service_addresses.h"
#include "services/service_urls.h"
#include "widgets/messages.h"

#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>
#include <QToolButton>

T_updateForm::T_updateForm(AppState& state, QWidget* parent, CatalogueTrialLoad trial_load)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      state_(state),
      trial_load_(std::move(trial_load)) {
  setObjectName(QStringLiteral("T_updateForm"));
  setWindowTitle(QStringLiteral("update list ..."));
  setModal(true);
  setFixedSize(362, 78);

  StatusLabel = new QLabel(QStringLiteral("Status:"), this);
  StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
  QFont bold = StatusLabel->font();
  bold.setBold(true);
  StatusLabel->setFont(bold);
  StatusLabel->move(10, 7);
  StatusLabel->adjustSize();

  StatusrLabel = new QLabel(kStatusReady, this);
  StatusrLabel->setObjectName(QStringLiteral("StatusrLabel"));
  StatusrLabel->setGeometry(58, 7, 362 - 58 - 7, StatusLabel->height());
  StatusrLabel->setTextFormat(Qt::PlainText);

  UpdateAdvProgressBar = new QProgressBar(this);
  UpdateAdvProgressBar->setObjectName(QStringLiteral("UpdateAdvProgressBar"));
  UpdateAdvProgressBar->setGeometry(7, 27, 348, 18);
  UpdateAdvProgressBar->setRange(0, 100);
  UpdateAdvProgressBar->setValue(0);
  UpdateAdvProgressBar->setTextVisible(false);

  CancelAdvToolButton = new QToolButton(this);
  CancelAdvToolButton->setObjectName(QStringLiteral("CancelAdvToolButton"));
  CancelAdvToolButton->setText(QStringLiteral("Cancel"));
  CancelAdvToolButton->setGeometry(268, 52, 86, 22);
  connect(CancelAdvToolButton, &QToolButton::clicked, this, &T_updateForm::CancelAdvToolButtonClick);

  CloseAdvToolButton = new QToolButton(this);
  CloseAdvToolButton->setObjectName(QStringLiteral("CloseAdvToolButton"));
  CloseAdvToolButton->setText(QStringLiteral("Close"));
  CloseAdvToolButton->setGeometry(268, 52, 86, 22);
  connect(CloseAdvToolButton, &QToolButton::clicked, this, &T_updateForm::CloseAdvToolButtonClick);
  show_close(true);
}

T_updateForm::~T_updateForm() { drop_request(); }

QString T_updateForm::status_text() const { return StatusrLabel->text(); }
int T_updateForm::progress() const { return UpdateAdvProgressBar->value(); }

void T_updateForm::set_status(const QString& text) { StatusrLabel->setText(text); }

void T_updateForm::show_close(bool close_visible) {
  CloseAdvToolButton->setVisible(close_visible);
  CancelAdvToolButton->setVisible(!close_visible);
}

void T_updateForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window system's own showing (restoring a minimised window) is no new download.
  if (!event->spontaneous()) FormActivate();
}

void T_updateForm::FormActivate() {
  drop_request();
  UpdateAdvProgressBar->setValue(0);
  set_status(kStatusReady);
  interrupted_ = false;
  close_pending_ = false;
  work_total_ = 0;
  show_close(false);

  request_ = new HttpRequest(this);
  reply_limit_ = catalogue_reply_limit();
  request_->set_max_body_bytes(reply_limit_);
  connect(request_, &HttpRequest::work_begin, this, &T_updateForm::DownloadWorkBegin);
  connect(request_, &HttpRequest::work, this, &T_updateForm::DownloadWork);
  connect(request_, &HttpRequest::finished, this, &T_updateForm::DownloadFinished);
  request_->get(catalogue_request_url(catalogue_service_base(), state_.catalogue.info.stVersion));
}

void T_updateForm::DownloadWorkBegin(qint64 total) {
  // The dialog keeps the count in 32 bits; a larger announcement wraps like the header field does.
  work_total_ = static_cast<int32_t>(static_cast<uint32_t>(static_cast<quint64>(total) & 0xFFFFFFFFu));
}

void T_updateForm::DownloadWork(qint64 count) {
  if (interrupted_) return;
  // Without an announced size the bar and text keep their last values.
  if (const auto percent = progress_percent(count, work_total_)) {
    UpdateAdvProgressBar->setValue(*percent);
    set_status(progress_text(count, work_total_));
  }
}

void T_updateForm::DownloadFinished() {
  HttpRequest* request = request_;
  request_ = nullptr;
  const QString error = request->too_large() ? reply_too_large_status(reply_limit_) : request->error();
  const DownloadReply reply = interpret_reply(error, request->body());
  request->deleteLater();

  QString status = reply.status;
  if (reply.kind == DownloadReply::Kind::Catalogue) {
    // Before the first catalogue load the folder may not be known yet; never write beside "/".
    const QString app_data = state_.app_data.isEmpty() ? app_data_folder() : state_.app_data;
    const InstallResult installed = install_catalogue(app_data, reply.payload, trial_load_);
    status = installed.status;
    if (!installed.write_error.isEmpty()) show_error(this, installed.write_error);
  }
  set_status(status);
  UpdateAdvProgressBar->setValue(100);
  show_close(true);
  Q_EMIT download_finished(status);
  if (close_pending_) close_with_result();
}

void T_updateForm::CancelAdvToolButtonClick() {
  interrupted_ = true;
  set_status(kStatusInterrupted);
  show_close(true);
  if (request_) request_->abort();
}

void T_updateForm::CloseAdvToolButtonClick() {
  // The cancelled transfer ends within moments; the dialog closes once its outcome is known.
  if (request_) {
    close_pending_ = true;
    return;
  }
  close_with_result();
}

void T_updateForm::close_with_result() {
  close_pending_ = false;
  state_.outdated = false;
  if (status_text() == kStatusComplete) accept();
  else QDialog::reject();
}

void T_updateForm::reject() {
  drop_request();
  QDialog::reject();
}

void T_updateForm::drop_request() {
  if (!request_) return;
  HttpRequest* request = request_;
  request_ = nullptr;
  request->disconnect(this);
  delete request;
}
