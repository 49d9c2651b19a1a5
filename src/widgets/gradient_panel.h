#pragma once
#include <QColor>
#include <QWidget>

// A panel painted with a vertical colour gradient.
class GradientPanel : public QWidget {
  Q_OBJECT
 public:
  GradientPanel(QColor top, QColor bottom, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor top_;
  QColor bottom_;
};
