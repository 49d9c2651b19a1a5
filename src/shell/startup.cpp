#include "shell/startup.h"

#include "version.h"

#include <QApplication>
#include <QLocale>
#include <QWidget>

#include <clocale>

int run_program(QApplication& app) {
  QApplication::setApplicationDisplayName(QStringLiteral(QUOVI_PRODUCT_NAME));
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
  QWidget w;
  w.setWindowTitle(QStringLiteral(QUOVI_PRODUCT_NAME " - " QUOVI_PRODUCT_VERSION));
  w.resize(999, 489);
  w.show();
  return app.exec();
}
