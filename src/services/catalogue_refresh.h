#pragma once
#include <QString>
#include <QUrl>

#include <functional>

struct AppState;
class QWidget;

// The main window's part of a catalogue refresh: the question raised while the catalogue is
// outdated, the Update button with its website question, and the reload after a download.

inline const QString kDownloadQuestion =
    QStringLiteral("List of channels is outdated. Would you like to download the new one now?");
inline const QString kWebsiteQuestion =
    QStringLiteral("Channel list successfully updated. Would you like to visit our website to check software updates?");

// Decides when an activation of the main window raises the download question: at the first
// activation and at every later one that follows a deactivation by something other than the
// question's own box and dialog, while the catalogue is outdated.
class DownloadQuestionGate {
 public:
  void deactivated();
  // True when the question is due now.
  bool activated(bool outdated);
  // Between these two the question or the dialog it leads to is open.
  void begin_own_modal() { own_modal_ = true; }
  void end_own_modal() { own_modal_ = false; }

 private:
  bool armed_ = true;
  bool own_modal_ = false;
};

// Who asked for the reload. The Update button turns the sort direction over first, so the reload's
// sort (which turns it over again) keeps the direction the list had; after the question the list
// comes back sorted the other way.
enum class ReloadCaller { UpdateButton, DownloadQuestion };

// The loading steps the reload runs, in this order; each may throw (CatalogueError or another
// std::exception) with a text for the user.
struct ReloadSteps {
  std::function<void()> write_user_files;       // favourites and user channels as they are now
  std::function<void()> reset_catalogue;        // reset_catalogue(state.catalogue)
  std::function<void()> load_user_channels;     // from userdef.dat
  std::function<void()> load_channel_database;  // the new channels.dat, marking the favourites id list
  std::function<void()> load_settings;
  std::function<void()> sort_by_channel;        // sort by column 0; turns sort_flag over after sorting
  std::function<void()> rebuild_view;
};

// The reload after a successful download, under a splash window over `window`. User files are
// written first, so channels and favourites changed in this run survive it. A failing step ends
// the loading: the splash goes, the view is rebuilt from what was loaded (the list must never show
// rows of the channels that were reset away) and the error is shown. Answers whether all went well.
bool reload_after_download(AppState& state, ReloadCaller caller, const ReloadSteps& steps, QWidget* window);

// The page offered after an update: "/update.html" on the feedback service.
QUrl update_page();

// The flows behind the main window's activation and its Update button.
class CatalogueRefresh {
 public:
  // `run_download_dialog` shows T_updateForm modally and answers its result (QDialog::Accepted
  // when channels.dat was replaced). `open_url` opens a web page in the user's browser.
  CatalogueRefresh(AppState& state, QWidget* window, std::function<int()> run_download_dialog, ReloadSteps steps,
                   std::function<void(const QUrl&)> open_url = {});

  // From the main window's activation and deactivation events.
  void main_window_activated();
  void main_window_deactivated() { gate_.deactivated(); }
  // UpdateAdvToolButtonClick.
  void update_button_clicked();

 private:
  AppState& state_;
  QWidget* window_;
  std::function<int()> run_download_dialog_;
  ReloadSteps steps_;
  std::function<void(const QUrl&)> open_url_;
  DownloadQuestionGate gate_;
};
