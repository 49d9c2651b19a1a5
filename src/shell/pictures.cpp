#include "shell/pictures.h"

#include "widgets/svg_picture.h"

#include <algorithm>
#include <array>

// The library is static: without a reference from the code the linker would drop the pictures.
static void load_pictures_once() {
  static const bool loaded = [] {
    Q_INIT_RESOURCE(mainwin);
    return true;
  }();
  (void)loaded;
}

QString picture_resource(const QString& name) {
  load_pictures_once();
  return QStringLiteral(":/mainwin/icons/%1.svg").arg(name);
}

QIcon picture(const QString& name, QSize size) { return svg_icon(picture_resource(name), size); }

QPixmap picture_pixmap(const QString& name, QSize size) { return svg_pixmap(picture_resource(name), size); }

QIcon theme_picture(const QString& theme_name, const QString& fallback) {
  return QIcon::fromTheme(theme_name, fallback.isEmpty() ? QIcon() : picture(fallback));
}

QIcon state_picture(int status) {
  static const std::array<const char*, 7> names{"state_works", "state_broken",    "state_new",     "state_wrong",
                                                "state_duplicate", "state_spam", "state_playlist"};
  if (status < 0 || status >= static_cast<int>(names.size())) return {};
  return picture(QString::fromLatin1(names[status]));
}

QIcon volume_picture(int index) {
  return picture(QStringLiteral("volume_%1").arg(std::clamp(index, 0, 10), 2, 10, QLatin1Char('0')), {61, 16});
}
