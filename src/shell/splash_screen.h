#pragma once
#include <QWidget>

// The "Please wait ..." window that covers every catalogue load.
class SplashScreen : public QWidget {
  Q_OBJECT
 public:
  explicit SplashScreen(QWidget* over = nullptr);
  // Shows the window centred over `over` and paints it at once: no message loop runs during a load.
  void show_now();

 private:
  QWidget* over_;
};
