#include "shell/first_show_marker.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace {
// Follows the window from its show to the first exposure of its platform window, which paints the
// whole window at once.
class FirstShowMarker : public QObject {
 public:
  explicit FirstShowMarker(QWidget* window) : QObject(window), window_(window) { window->installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Show && window_->windowHandle()) {
      window_->removeEventFilter(this);
      window_->windowHandle()->installEventFilter(this);
    } else if (watched == window_->windowHandle() && event->type() == QEvent::Expose &&
               window_->windowHandle()->isExposed()) {
      watched->removeEventFilter(this);
      // Queued, so that the line follows the painting the exposure starts.
      QTimer::singleShot(0, this, [this] {
        std::fputs("quovi: main window shown\n", stdout);
        std::fflush(stdout);
        deleteLater();
      });
    }
    return false;
  }

 private:
  QWidget* window_;
};
}  // namespace

void mark_first_show(QWidget* window) {
  if (qEnvironmentVariableIsSet("QUOVI_MARK_SHOWN")) new FirstShowMarker(window);
}
