#pragma once
#include <QDateTime>

// Dates as days since 1899-12-30 with the time of day as the fraction, in local time.
double to_serial_date(const QDateTime& local);
QDateTime from_serial_date(double serial);
