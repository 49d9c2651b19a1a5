#pragma once
#include <QDateTime>

// A catalogue is outdated when its stamp lies more than 14 whole days away from now, either way.
// Whole days are the absolute difference in milliseconds divided by a day's milliseconds, truncated.
bool catalogue_outdated(double version_time, const QDateTime& now);
