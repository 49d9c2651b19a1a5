#pragma once
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// A picture drawn from an SVG resource at the given size (sharp on high-density screens too).
// A missing or broken file gives a transparent picture of that size.
QPixmap svg_pixmap(const QString& resource, QSize size);
QIcon svg_icon(const QString& resource, QSize size);
