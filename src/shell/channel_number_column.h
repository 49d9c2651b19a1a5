#pragma once
#include "shell/channel_numbers.h"

#include <QObject>

class MainWindow;

// The channel list's "No." column, shown while any channel of the view has a number its playlist
// gave it, and the digits typed over the list that select the channel with that number.
class ChannelNumberColumn : public QObject {
  Q_OBJECT
 public:
  explicit ChannelNumberColumn(MainWindow& window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void follow_view();

  MainWindow& window_;
  TypedNumber typed_;
};
