#pragma once
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The main window's own pictures (resources/icons), by file name without ".svg".
QString picture_resource(const QString& name);
QIcon picture(const QString& name, QSize size = {16, 16});
QPixmap picture_pixmap(const QString& name, QSize size);
// A menu entry's icon from the desktop's icon theme, by its freedesktop name, so the entries the
// program adds look like the desktop's own; the built-in picture `fallback` (none when empty)
// where the theme has no such icon.
QIcon theme_picture(const QString& theme_name, const QString& fallback = {});

// The list's state picture for a channel status 0 to 5 (works fine, not working, new, wrong info,
// duplicate, spam), or 6 for a playlist's channel; an empty icon for any other value.
QIcon state_picture(int status);

// The volume control's picture i (0 to 10) for a volume of about 10 x i; out-of-range indexes are
// brought to the nearest end.
QIcon volume_picture(int index);
