#include "widgets/gradient_panel.h"

#include <QLinearGradient>
#include <QPainter>

GradientPanel::GradientPanel(QColor top, QColor bottom, QWidget* parent) : QWidget(parent), top_(top), bottom_(bottom) {}

void GradientPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient gradient(0, 0, 0, height());
  gradient.setColorAt(0, top_);
  gradient.setColorAt(1, bottom_);
  painter.fillRect(rect(), gradient);
}
