#include "shell/outdated.h"

#include "catalogue/date_time.h"

#include <cstdlib>

namespace {
// A local date and time as the clock reads it, counted in milliseconds. Two of them differ by what
// the clock shows, not by the time that passed: a change to or from daylight saving in between
// does not count.
qint64 as_read_msecs(const QDate& date, const QTime& time) {
  return date.toJulianDay() * qint64{86400000} + time.msecsSinceStartOfDay();
}
}  // namespace

bool catalogue_outdated(double version_time, const QDateTime& now) {
  const SerialDateParts stamp = serial_date_parts(version_time);
  const QDateTime local_now = now.toLocalTime();
  const qint64 ms = std::llabs(as_read_msecs(local_now.date(), local_now.time()) - as_read_msecs(stamp.date, stamp.time));
  return ms / 86400000 > 14;
}
