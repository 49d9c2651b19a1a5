#include "catalogue/aside_path.h"

#include <QFileInfo>

QString free_aside_path(const QString& path) {
  QString candidate = path + QStringLiteral(".bad");
  for (int n = 2; QFileInfo::exists(candidate); ++n) candidate = path + QStringLiteral(".bad.%1").arg(n);
  return candidate;
}
