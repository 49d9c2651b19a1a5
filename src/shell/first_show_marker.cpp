#include "shell/first_show_marker.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <utility>

namespace {
// Follows the window from its show to the first exposure of its platform window.
class FirstPaint : public QObject {
 public:
  FirstPaint(QWidget* window, std::function<void()> then) : QObject(window), window_(window), then_(std::move(then)) {
    QWindow* handle = window->isVisible() ? window->windowHandle() : nullptr;
    if (!handle)
      window->installEventFilter(this);
    else if (handle->isExposed())
      run_after_painting();
    else
      handle->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Show && window_->windowHandle()) {
      window_->removeEventFilter(this);
      window_->windowHandle()->installEventFilter(this);
    } else if (watched == window_->windowHandle() && event->type() == QEvent::Expose &&
               window_->windowHandle()->isExposed()) {
      watched->removeEventFilter(this);
      run_after_painting();
    }
    return false;
  }

 private:
  // Queued, so that it follows the painting the exposure starts.
  void run_after_painting() {
    QTimer::singleShot(0, this, [this] {
      deleteLater();
      then_();
    });
  }

  QWidget* window_;
  std::function<void()> then_;
};
}  // namespace

void after_first_paint(QWidget* window, std::function<void()> then) { new FirstPaint(window, std::move(then)); }

void mark_first_show(QWidget* window) {
  if (!qEnvironmentVariableIsSet("QUOVI_MARK_SHOWN")) return;
  after_first_paint(window, [] {
    std::fputs("quovi: main window shown\n", stdout);
    std::fflush(stdout);
  });
}
