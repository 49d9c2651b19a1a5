#pragma once
#include "shell/app_state.h"

#include <QObject>

#include <optional>
#include <string>
#include <utility>

class QWidget;

// The session can end without the main window being closed by the user: a termination signal
// (log-out, "systemctl stop", Ctrl+C) or the session manager asking the program to commit its data.
// Either way the run's favourites and user channels are written as at a close, and written once:
// the close query skips a write that would only repeat the last one.
class SessionEnd : public QObject {
 public:
  SessionEnd(AppState& state, QWidget* main_window);

  // The main window's close query (save_user_files), unless the files already hold what it would
  // write: answers whether the window may close.
  bool close_query();
  // A termination signal: the main window is closed as by its close button, and when it closes
  // the program ends, even from inside a dialog's or a message's own loop.
  void terminate();
  // The session manager's request to commit data: the close query's write, without closing; the
  // program ends when the session does (a later close query finds nothing new to write). may_ask
  // says whether the manager lets the program ask the user. Answers false when the user chose to
  // keep Quovi running after a failed write; the session's end is then to be cancelled.
  bool commit_data(bool may_ask);

  // Connects the session manager's commit request and SIGTERM, SIGINT and SIGHUP to the above.
  void listen();

 private:
  AppState& state_;
  QWidget* window_;
  bool in_close_query_ = false;
  bool ended_ = false;
  // favorites.dat and userdef.dat as this run last wrote them
  std::optional<std::pair<std::string, std::string>> last_written_;
};
