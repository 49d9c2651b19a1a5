#include "widgets/svg_picture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

QPixmap svg_pixmap(const QString& resource, QSize size) {
  const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
  QPixmap pixmap(size * ratio);
  pixmap.fill(Qt::transparent);
  QSvgRenderer renderer(resource);
  if (renderer.isValid()) {
    QPainter painter(&pixmap);
    renderer.render(&painter);
  }
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

QIcon svg_icon(const QString& resource, QSize size) {
  QIcon icon;
  const QPixmap normal = svg_pixmap(resource, size);
  icon.addPixmap(normal, QIcon::Normal);
  // Disabled entries are drawn faded rather than by the style's own greying, which turns the
  // coloured pictures into grey blots.
  QPixmap faded(normal.size());
  faded.setDevicePixelRatio(normal.devicePixelRatio());
  faded.fill(Qt::transparent);
  {
    QPainter painter(&faded);
    painter.setOpacity(0.35);
    painter.drawPixmap(0, 0, normal);
  }
  icon.addPixmap(faded, QIcon::Disabled);
  return icon;
}
