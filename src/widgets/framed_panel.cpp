#include "widgets/framed_panel.h"

#include "widgets/design_colours.h"

#include <QFrame>
#include <QPainter>

namespace {
// Painted rather than styled: a style sheet on the panel would stop the controls on it from taking
// the window's font, and they would show in the desktop's font instead.
class FramedPanel : public QFrame {
 public:
  using QFrame::QFrame;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const DesignColours& colours = design_colours();
    painter.fillRect(rect(), colours.panel);
    painter.setPen(colours.frame);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
};
}  // namespace

QFrame* framed_panel(QWidget* parent, const QString& object_name, const QRect& geometry) {
  auto* panel = new FramedPanel(parent);
  panel->setObjectName(object_name);
  panel->setGeometry(geometry);
  return panel;
}
