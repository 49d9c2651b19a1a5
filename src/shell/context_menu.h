#pragma once
#include "shell/context_menu_state.h"

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QWidget;

// The channel list's context menu with its entries and submenus. It only shows states and reports
// which entry was chosen; the window decides what each does.
class ChannelContextMenu : public QObject {
  Q_OBJECT
 public:
  explicit ChannelContextMenu(QWidget* parent);

  QMenu* menu() const { return menu_; }
  const ContextMenuState& state() const { return state_; }
  void apply(const ContextMenuState& state);

  QAction* watch() const { return watch_; }
  QAction* add_favorite() const { return add_favorite_; }
  QAction* remove_favorite() const { return remove_favorite_; }
  QAction* homepage() const { return homepage_; }
  QAction* rate() const { return rate_; }
  QAction* flag() const { return flag_; }
  QAction* update() const { return update_; }
  QAction* remove_channel() const { return remove_channel_; }

 Q_SIGNALS:
  void watch_chosen();
  void add_favorite_chosen();
  void remove_favorite_chosen();
  void homepage_chosen();
  void rate_chosen(int stars);
  void flag_chosen(const QString& word);
  void update_chosen();
  void remove_channel_chosen();

 private:
  QMenu* menu_;
  ContextMenuState state_;
  QAction* watch_;
  QAction* add_favorite_;
  QAction* remove_favorite_;
  QAction* homepage_;
  QAction* rate_;
  QAction* flag_;
  QAction* update_;
  QAction* remove_channel_;
};
