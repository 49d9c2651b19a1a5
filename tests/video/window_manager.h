#pragma once
#include <QProcess>
#include <QThread>

// openbox on the test's X display, for what only a real window manager does (activating, raising,
// closing); ended with the object.
class WindowManager {
 public:
  WindowManager() {
    process_.start(QStringLiteral("openbox"), {});
    started_ = process_.waitForStarted(10000);
    if (started_) QThread::msleep(500);  // until it manages the screen
  }
  ~WindowManager() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  bool running() const { return started_; }

 private:
  QProcess process_;
  bool started_ = false;
};
