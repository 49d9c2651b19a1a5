#pragma once
#include "catalogue/records.h"
#include "views/view_builder.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

struct AppState;
class QWidget;

// The main window's part of a catalogue refresh: the question raised while the catalogue is
// outdated, the Update button with its website question, and the reload after a download.
//
//   DownloadDialog download_dialog(state.catalogue, state.outdated, &window);  // once, at start-up
//   CatalogueRefresh refresh(state, &window, [&] { return download_dialog.run(); }, window.reload_hooks());
//   the window's activation -> main_window_activated(); the program's -> program_deactivated()
//   the Update button -> update_button_clicked()           (both in shell/command_wiring.cpp)

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

// Who asked for the reload. The Update button's reload sorts the list in the direction it had;
// the one after the question sorts it the other way.
enum class ReloadCaller { UpdateButton, DownloadQuestion };

// What the main window adds to the reload.
struct ReloadHooks {
  // Runs before the new catalogue replaces the one shown: the window puts itself into the
  // no-channel state and begins its list model reset.
  BeforeRebuild before_rebuild;
  // The window ends its model reset and shows what the rebuilt view says.
  std::function<void(const ViewUpdate&)> after_rebuild;
};

// The reload after a successful download, under a splash window over `window` that holds off the
// user's input and stays up until the new list is shown; the window is drawn anew as it goes: the user files are written, then `downloaded` (what the download's trial
// load read, services/catalogue_trial_load.h) takes the user's channels and the favourites as the
// start-up load gives them (the favourites id list is kept), the settings are read, the channels
// sorted by name and the visible list built, and the result replaces the catalogue in one step.
// The downloaded bytes are not read again; the sort and the list are made on a worker thread while
// the GUI thread's events go on.
//
// Writing the user files first keeps the channels and favourites changed in this run; when they
// cannot be written nothing is reloaded (the new list is loaded at the next start) and the user is
// told. Any other failure also leaves the catalogue as it was, and the error is shown. Answers
// whether the reload went through.
bool reload_after_download(AppState& state, ReloadCaller caller, Catalogue downloaded, QWidget* window,
                           const ReloadHooks& hooks);

// The page offered after an update: "/update.html" on the feedback service.
QUrl update_page();

// The flows behind the main window's activation and its Update button.
class CatalogueRefresh {
 public:
  // `run_download_dialog` shows DownloadDialog modally and answers the catalogue the download
  // loaded when channels.dat was replaced (the dialog's result Accepted), nothing otherwise.
  // `open_url` opens a web page in the user's browser.
  using DownloadDialogRun = std::function<std::optional<Catalogue>()>;
  CatalogueRefresh(AppState& state, QWidget* window, DownloadDialogRun run_download_dialog, ReloadHooks hooks,
                   std::function<void(const QUrl&)> open_url = {});

  // The main window became active; the program as a whole stopped being the active one (the
  // user went to another application). Closing a box or window of the program's own makes the
  // main window active again without the program having been left: that asks nothing.
  void main_window_activated();
  void program_deactivated() { gate_.deactivated(); }
  // The Update button.
  void update_button_clicked();

 private:
  AppState& state_;
  QWidget* window_;
  DownloadDialogRun run_download_dialog_;
  ReloadHooks hooks_;
  std::function<void(const QUrl&)> open_url_;
  DownloadQuestionGate gate_;
};
