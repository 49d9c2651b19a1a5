#include "widgets/framed_panel.h"

#include <QFrame>

QFrame* framed_panel(QWidget* parent, const QString& object_name, const QRect& geometry) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(object_name);
  panel->setGeometry(geometry);
  panel->setStyleSheet(
      QStringLiteral("#%1 { background: rgb(254,254,254); border: 1px solid rgb(255,153,0); }").arg(object_name));
  return panel;
}
