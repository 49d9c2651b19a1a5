#pragma once
#include "catalogue/records.h"
#include "services/catalogue_download.h"
#include "services/catalogue_trial_load.h"

#include <QDialog>
#include <QFuture>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class HttpRequest;
class QLabel;
class QProgressBar;
class QPushButton;
class WrappingLabel;

// The catalogue download: one request to the catalogue service each time the dialog is shown,
// progress, Cancel, and the outcome as a status shown whole (the dialog grows down for a long
// one). Close is the default button. Its result is Accepted whenever the dialog closes after
// "Complete!", however it is closed: channels.dat was replaced and the caller must reload.
//
// A new catalogue is loaded on a worker thread before it may replace channels.dat (the bar shows it
// busy meanwhile, Cancel drops it); what loaded is kept for the reload, which takes it over.
class DownloadDialog : public QDialog {
  Q_OBJECT
 public:
  // `trial_load` loads a downloaded catalogue, which must load before it may replace the file in
  // use; it runs on a worker thread. `outdated` is the program's note that a download is due;
  // Close clears it.
  DownloadDialog(Catalogue& catalogue, bool& outdated, QWidget* parent = nullptr,
                 CatalogueTrialLoad trial_load = trial_load_catalogue);
  ~DownloadDialog() override;

  // Shows the dialog modally; answers the catalogue the download loaded when the result is Accepted.
  std::optional<Catalogue> run();
  // After "Complete!": the catalogue the new channels.dat loaded into, once.
  std::optional<Catalogue> take_catalogue();

  QString status_text() const;
  int progress() const;
  // The transfer runs or the new catalogue is being loaded.
  bool downloading() const { return request_ != nullptr || installing(); }

  // The title-bar close box and Escape: result Cancel, `outdated` kept; a transfer still running
  // is cut off and its reply dropped. Once the new catalogue is in place (or being put there) they
  // close as Close does.
  void reject() override;

 Q_SIGNALS:
  // The outcome is decided and shown (the status text is final until the next showing).
  void download_finished(const QString& status);

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void start_download();
  void on_transfer_started(qint64 total);
  void on_transfer_progress(qint64 count);
  void on_transfer_finished();
  void start_install(std::string payload);
  void on_install_finished();
  bool installing() const { return install_.isValid(); }
  void finish(const QString& status);
  void cancel_download();
  void close_dialog();
  void set_status(const QString& text);
  void show_close(bool close_visible);
  void drop_request();
  void drop_install();
  void drop_catalogue();
  void close_with_result();
  void lay_out();

  Catalogue& catalogue_;
  bool& outdated_;
  CatalogueTrialLoad trial_load_;
  QLabel* status_caption_;
  WrappingLabel* status_label_;
  QProgressBar* progress_bar_;
  QPushButton* cancel_button_;
  QPushButton* close_button_;

  HttpRequest* request_ = nullptr;
  QFuture<InstallResult> install_;  // the new catalogue being loaded and installed
  QObject* install_watcher_ = nullptr;
  std::shared_ptr<InstallClaim> install_claim_;
  std::optional<Catalogue> loaded_;  // what "Complete!" installed, until the reload takes it
  bool interrupted_ = false;
  bool close_pending_ = false;  // Close was pressed while the cancelled transfer wound down
  int32_t work_total_ = 0;
  qint64 reply_limit_ = 0;  // of the download under way, from the settings when it began
};
