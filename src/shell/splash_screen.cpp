#include "shell/splash_screen.h"

#include "widgets/design_colours.h"
#include "widgets/fonts.h"
#include "widgets/framed_panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace {
// How long a showing may take before the load goes on without it.
constexpr qint64 kShowingWaitMs = 500;
}  // namespace

SplashScreen::SplashScreen(QWidget* over)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), over_(over) {
  setObjectName(QStringLiteral("SplashScreen"));
  setFixedSize(251, 60);
  setAttribute(Qt::WA_ShowWithoutActivating);

  QFrame* panel = framed_panel(this, QStringLiteral("SplashPanel"), {0, 0, 251, 60});

  auto* text = new QLabel(QStringLiteral("Please wait ..."), panel);
  text->setObjectName(QStringLiteral("SplashLabel"));
  text->setFont(tahoma(11));  // 8 points
  text->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(design_colours().caption.name()));
  text->move(89, 23);
  text->adjustSize();
}

void SplashScreen::show_now() {
  QRect area;
  if (over_ && over_->isVisible()) area = over_->frameGeometry();
  else if (over_) area = QRect(over_->pos(), over_->size());
  if (!area.isValid() && QApplication::primaryScreen()) area = QApplication::primaryScreen()->availableGeometry();
  move(area.center() - QPoint(width() / 2, height() / 2));
  show();
  raise();
  // The window system shows the window a moment later (a window manager frames it first), and what
  // is drawn before that is lost: with no message loop during a load it would stay blank. Its
  // events are let in until it is shown, for a moment at most, and it is drawn then.
  QElapsedTimer waited;
  waited.start();
  while (!windowHandle()->isExposed() && waited.elapsed() < kShowingWaitMs) {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(1);
  }
  repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
