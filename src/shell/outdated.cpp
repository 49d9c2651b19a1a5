#include "shell/outdated.h"

#include "catalogue/date_time.h"

#include <cstdlib>

bool catalogue_outdated(double version_time, const QDateTime& now) {
  const qint64 ms = std::llabs(from_serial_date(version_time).msecsTo(now));
  return ms / 86400000 > 14;
}
