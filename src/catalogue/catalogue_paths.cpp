#include "catalogue/catalogue_paths.h"

#include <QDir>
#include <QStandardPaths>

QString app_data_folder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
  return folder;
}

QString catalogue_folder(const QString& app_data) { return app_data + QStringLiteral("/Talvex/Quovi/"); }
QString channels_path(const QString& app_data) { return catalogue_folder(app_data) + QStringLiteral("channels.dat"); }
QString favorites_path(const QString& app_data) { return catalogue_folder(app_data) + QStringLiteral("favorites.dat"); }
QString userdef_path(const QString& app_data) { return catalogue_folder(app_data) + QStringLiteral("userdef.dat"); }

void ensure_catalogue_folder(const QString& app_data) { QDir().mkpath(catalogue_folder(app_data)); }
