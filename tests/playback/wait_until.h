#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

namespace quovi_test {
// Runs the event loop until the condition holds or the time is up; answers the condition.
inline bool wait_until(const std::function<bool()>& condition, int timeout_ms = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeout_ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}
}  // namespace quovi_test
