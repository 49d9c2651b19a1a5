#include "shell/raise_window.h"

#include <QWidget>

void raise_window(QWidget& w) {
  w.setWindowState(w.windowState() & ~Qt::WindowMinimized);
  w.show();
  w.raise();
  w.activateWindow();
}
