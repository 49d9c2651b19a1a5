#pragma once
#include "services/catalogue_download.h"
#include "services/catalogue_trial_load.h"

#include <QDialog>

#include <cstdint>

struct Catalogue;
class HttpRequest;
class QLabel;
class QProgressBar;
class QToolButton;

// The catalogue download: one request to the catalogue service each time the dialog is shown,
// progress, Cancel, and the outcome as a one-line status. Its result is Accepted only when Close is
// pressed after "Complete!", that is when channels.dat was replaced and the caller must reload.
class DownloadDialog : public QDialog {
  Q_OBJECT
 public:
  // `trial_load` checks a downloaded catalogue before it may replace the file in use.
  // `outdated` is the program's note that a download is due; Close clears it.
  DownloadDialog(Catalogue& catalogue, bool& outdated, QWidget* parent = nullptr,
                 CatalogueTrialLoad trial_load = trial_load_catalogue);
  ~DownloadDialog() override;

  QString status_text() const;
  int progress() const;
  bool downloading() const { return request_ != nullptr; }

  // The title-bar close box and Escape: result Cancel, `outdated` kept; a transfer still running
  // is cut off and its reply dropped.
  void reject() override;

 Q_SIGNALS:
  // The outcome is decided and shown (the status text is final until the next showing).
  void download_finished(const QString& status);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void start_download();
  void on_transfer_started(qint64 total);
  void on_transfer_progress(qint64 count);
  void on_transfer_finished();
  void cancel_download();
  void close_dialog();
  void set_status(const QString& text);
  void show_close(bool close_visible);
  void drop_request();
  void close_with_result();

  Catalogue& catalogue_;
  bool& outdated_;
  CatalogueTrialLoad trial_load_;
  QLabel* status_caption_;
  QLabel* status_label_;
  QProgressBar* progress_bar_;
  QToolButton* cancel_button_;
  QToolButton* close_button_;

  HttpRequest* request_ = nullptr;
  bool interrupted_ = false;
  bool close_pending_ = false;  // Close was pressed while the cancelled transfer wound down
  int32_t work_total_ = 0;
  qint64 reply_limit_ = 0;  // of the download under way, from the settings when it began
};
