#pragma once
#include <QDate>
#include <QTimeZone>

#include <cstdint>
#include <optional>
#include <string_view>

// Times of a programme guide: seconds since the epoch (UTC) throughout.

// "YYYYMMDDhhmmss +hhmm" and its shorter forms (minutes, hours or the day alone), with or without
// the offset; without one the time is UTC, as guides are written. Nothing else is a time.
std::optional<int64_t> parse_guide_time(std::string_view text);

// The span of time a guide keeps programmes for: from the start of yesterday to the end of the
// day after tomorrow in the user's time zone.
struct GuideWindow {
  int64_t from = 0;
  int64_t to = 0;
  bool contains(int64_t start, int64_t stop) const { return start < to && (stop > from || start >= from); }
};
GuideWindow guide_window(QDate today, const QTimeZone& zone);
GuideWindow current_guide_window();

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t days_from_civil(int64_t year, unsigned month, unsigned day);
