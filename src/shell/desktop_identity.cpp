#include "shell/desktop_identity.h"

#include <QApplication>
#include <QIcon>

// Resources of a static library are registered by hand (outside any namespace).
static void init_desktop_resource() { Q_INIT_RESOURCE(desktop); }

void apply_desktop_identity() {
  init_desktop_resource();
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
  // The theme's copy wins when the package installed one; the built-in one serves a build tree.
  QApplication::setWindowIcon(
      QIcon::fromTheme(QString::fromLatin1(kDesktopId), QIcon(QStringLiteral(":/desktop/org.talvex.Quovi.svg"))));
}
