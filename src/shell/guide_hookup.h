#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

struct Channel;
class GuideLibrary;
class QLabel;
class GuidePanel;
class MainWindow;

// The programme guide beside the main window: its library of guides (read from the user's sources
// at start, refreshed daily), its window (Ctrl+G), and now and next of the selected channel (the
// one the player shows) in the player area's label row and the channel label's tooltip.
class GuideHookup : public QObject {
  Q_OBJECT
 public:
  explicit GuideHookup(MainWindow& window);
  ~GuideHookup() override;

  GuideLibrary& library() { return *library_; }
  GuidePanel& panel() { return *panel_; }
  // The guide window's place and size once it was shown (empty before), and that place given back.
  QByteArray panel_place() const;
  void restore_panel_place(const QByteArray& place);
  // A channel's tvg-id where it has one (channels read from a playlist); none by default.
  std::function<std::string(const Channel& channel)> tvg_id_of;
  // The seconds a channel's guide times are moved by (its playlist's tvg-shift); none by default.
  std::function<int64_t(const Channel& channel)> guide_shift_of;

  // Reads the guides the user has, downloading those due; tells what went wrong reading their list.
  void start();
  // A warning about the guides, over the main window.
  void show_problem(const QString& text);
  void show_selected_channel();

 protected:
  // Keeps the now line between the status and the channel labels when the window's size changes.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  MainWindow& window_;
  GuideLibrary* library_ = nullptr;
  GuidePanel* panel_ = nullptr;
  QLabel* now_line_ = nullptr;  // in the player area, beside the status line
  bool panel_placed_ = false;
  bool started_ = false;
  std::pair<const Channel*, size_t> channels_seen_{nullptr, 0};  // the channel array the guides were read for
  // Beside the main window where the screen has room, else over it.
  void place_panel();
  void place_now_line();
  void show_now_column(bool shown);
};
