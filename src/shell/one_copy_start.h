#pragma once
#include "catalogue/user_files_lock.h"
#include "desktop/one_copy.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>

class MainWindow;
class PlaylistFlows;
struct AppState;

// The start of the program as the one copy of it: a start while another copy runs hands its files
// and addresses to that copy and ends; the copy that runs takes the user files' lock, adds what
// later starts hand it, and tells the user when another copy keeps the user files (a copy that
// did not answer in time, or one of a session without bus or socket).
class OneCopyStart : public QObject {
 public:
  // Claims the program's place, or hands `arguments` (the command line without the program's name)
  // to the copy that holds it.
  OneCopyStart(const QString& app_data, const QStringList& arguments);

  // A running copy took this start's request: the start ends here, with exit code 0.
  bool handed_over() const { return handed_over_; }
  // Marks the user files as another copy's when this one did not get the lock.
  void apply(AppState& state) const;
  // Once the window and its playlists are made: later starts reach them, and a copy without the
  // lock says so after the window's first paint.
  void serve(MainWindow& window, PlaylistFlows& playlists);

 private:
  void take(const QStringList& items);
  void add_when_free();

  OneCopy copy_;
  bool handed_over_ = false;
  std::optional<UserFilesLock> lock_;
  MainWindow* window_ = nullptr;
  PlaylistFlows* playlists_ = nullptr;
  QStringList waiting_;
  QTimer retry_;
  bool adding_ = false;
};
