#pragma once
#include <QDateTime>

// Dates as days since 1899-12-30 with the time of day as the fraction, in local time.
double to_serial_date(const QDateTime& local);
QDateTime from_serial_date(double serial);

// The day and the time of day a serial date reads, as the clock showed them: unlike
// from_serial_date, a time the clock skipped (the hour lost to daylight saving) stays as it is.
struct SerialDateParts {
  QDate date;
  QTime time;
};
SerialDateParts serial_date_parts(double serial);
