#include "catalogue/date_time.h"

#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
}  // namespace

double to_serial_date(const QDateTime& local) {
  const double days = static_cast<double>(kEpoch.daysTo(local.date()));
  const double fraction = local.time().msecsSinceStartOfDay() / kMsPerDay;
  // Before the epoch the fraction counts away from zero, as the serial format has it.
  return days < 0 ? days - fraction : days + fraction;
}

SerialDateParts serial_date_parts(double serial) {
  const double whole = std::trunc(serial);
  const double fraction = std::fabs(serial - whole);
  const QDate date = kEpoch.addDays(static_cast<qint64>(whole));
  const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(std::llround(fraction * kMsPerDay)) % 86400000);
  return {date, time};
}

QDateTime from_serial_date(double serial) {
  const SerialDateParts parts = serial_date_parts(serial);
  return QDateTime(parts.date, parts.time, Qt::LocalTime);
}
