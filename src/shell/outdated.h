#pragma once
#include <QDateTime>

// A catalogue is outdated when its stamp lies more than 14 whole days away from now, either way.
// Whole days are the absolute difference in milliseconds divided by a day's milliseconds, truncated,
// between the two local date-times as they read: a change to or from daylight saving in between
// neither adds nor takes an hour.
bool catalogue_outdated(double version_time, const QDateTime& now);
