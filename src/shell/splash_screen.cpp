#include "shell/splash_screen.h"

#include "widgets/fonts.h"
#include "widgets/framed_panel.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>

SplashScreen::SplashScreen(QWidget* over)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), over_(over) {
  setObjectName(QStringLiteral("SplashScreen"));
  setFixedSize(251, 60);
  setAttribute(Qt::WA_ShowWithoutActivating);

  QFrame* panel = framed_panel(this, QStringLiteral("SplashPanel"), {0, 0, 251, 60});

  auto* text = new QLabel(QStringLiteral("Please wait ..."), panel);
  text->setObjectName(QStringLiteral("SplashLabel"));
  text->setFont(tahoma(11));  // 8 points
  text->setStyleSheet(QStringLiteral("color: rgb(8,55,114); background: transparent;"));
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
  repaint();
  // Let the window system map and draw it before the load takes the thread.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
