#pragma once
#include <QWidget>

// The "Please wait ..." window that covers every catalogue load.
class T_splashForm : public QWidget {
  Q_OBJECT
 public:
  explicit T_splashForm(QWidget* over = nullptr);
  // Shows the window centred over `over` and paints it at once: no message loop runs during a load.
  void show_now();

 private:
  QWidget* over_;
};
