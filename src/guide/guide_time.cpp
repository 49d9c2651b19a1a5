#include "guide/guide_time.h"

#include <QDateTime>

namespace {
bool all_digits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

int number(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

bool leap(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned days_in_month(int64_t year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

// "+hhmm", "-hhmm" or "Z" in seconds east of UTC.
std::optional<int> parse_offset(std::string_view text) {
  if (text == "Z") return 0;
  if (text.size() != 5 || (text[0] != '+' && text[0] != '-') || !all_digits(text.substr(1))) return std::nullopt;
  const int hours = number(text.substr(1, 2)), minutes = number(text.substr(3, 2));
  if (hours > 23 || minutes > 59) return std::nullopt;
  const int seconds = hours * 3600 + minutes * 60;
  return text[0] == '-' ? -seconds : seconds;
}
}  // namespace

int64_t days_from_civil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<int64_t>(day_of_era) - 719468;
}

std::optional<int64_t> parse_guide_time(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits < 8 || digits > 14 || digits % 2 != 0) return std::nullopt;
  std::string_view rest = text.substr(digits);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  int offset = 0;
  if (!rest.empty()) {
    const std::optional<int> parsed = parse_offset(rest);
    if (!parsed) return std::nullopt;
    offset = *parsed;
  }
  const int year = number(text.substr(0, 4));
  const unsigned month = static_cast<unsigned>(number(text.substr(4, 2)));
  const unsigned day = static_cast<unsigned>(number(text.substr(6, 2)));
  const int hour = digits >= 10 ? number(text.substr(8, 2)) : 0;
  const int minute = digits >= 12 ? number(text.substr(10, 2)) : 0;
  const int second = digits >= 14 ? number(text.substr(12, 2)) : 0;
  if (month < 1 || month > 12 || day < 1 || day > days_in_month(year, month)) return std::nullopt;
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
  return days_from_civil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offset;
}

GuideWindow guide_window(QDate today, const QTimeZone& zone) {
  return {today.addDays(-1).startOfDay(zone).toSecsSinceEpoch(), today.addDays(3).startOfDay(zone).toSecsSinceEpoch()};
}

GuideWindow current_guide_window() {
  const QDateTime now = QDateTime::currentDateTime();
  return guide_window(now.date(), QTimeZone::systemTimeZone());
}
