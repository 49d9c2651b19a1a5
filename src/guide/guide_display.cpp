#include "guide/guide_display.h"

#include <QDateTime>

namespace {
QString text_of(const Guide& guide, GuideText text) {
  const std::string_view view = guide.text(text);
  return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

QString clock(int64_t seconds, const QTimeZone& zone) {
  return QDateTime::fromSecsSinceEpoch(seconds, zone).toString(QStringLiteral("HH:mm"));
}

QString line(const Guide& guide, const GuideProgramme& programme, const QTimeZone& zone, int64_t shift) {
  return programme_time_span(programme, zone, shift) + QStringLiteral("  ") + text_of(guide, programme.title);
}
}  // namespace

QString programme_time_span(const GuideProgramme& programme, const QTimeZone& zone, int64_t shift) {
  if (programme.stop <= programme.start) return clock(programme.start + shift, zone);
  return clock(programme.start + shift, zone) + QChar(0x2013) + clock(programme.stop + shift, zone);
}

QString NowNextTexts::tooltip(const QString& channel_name) const {
  QString text = channel_name;
  if (!now.isEmpty()) text += QStringLiteral("\nNow: ") + now;
  if (!next.isEmpty()) text += QStringLiteral("\nNext: ") + next;
  return text;
}

NowNextTexts now_next_texts(const GuideSet& guides, std::optional<GuideChannelRef> match, int64_t now,
                            const QTimeZone& zone, int64_t shift) {
  NowNextTexts texts;
  if (!match) return texts;
  now -= shift;  // in the guide's own times
  const Guide& guide = guides.guide_of(*match);
  const NowAndNext on = now_and_next(*guides.channel(*match), now);
  if (on.now) {
    texts.now = line(guide, *on.now, zone, shift);
    const int64_t length = on.now->stop - on.now->start;
    texts.progress = length > 0 ? static_cast<int>((now - on.now->start) * 100 / length) : -1;
  }
  if (on.next) texts.next = line(guide, *on.next, zone, shift);
  return texts;
}

std::vector<GuideDayRow> guide_day_rows(const GuideSet& guides, GuideChannelRef match, QDate today, int64_t now,
                                        const QTimeZone& zone, int64_t shift) {
  std::vector<GuideDayRow> rows;
  now -= shift;  // in the guide's own times
  const Guide& guide = guides.guide_of(match);
  const GuideChannel& channel = *guides.channel(match);
  for (int day = 0; day < 2; ++day) {
    const int64_t from = today.addDays(day).startOfDay(zone).toSecsSinceEpoch() - shift;
    const int64_t to = today.addDays(day + 1).startOfDay(zone).toSecsSinceEpoch() - shift;
    const auto programmes = programmes_between(channel, from, to);
    if (programmes.empty()) continue;
    GuideDayRow heading;
    heading.day = day == 0 ? QStringLiteral("Today") : QStringLiteral("Tomorrow");
    rows.push_back(heading);
    for (const GuideProgramme& p : programmes) {
      // A programme running at midnight is listed under the day it started on.
      if (day > 0 && p.start < from) continue;
      GuideDayRow row;
      row.time = programme_time_span(p, zone, shift);
      row.title = text_of(guide, p.title);
      row.sub_title = text_of(guide, p.sub_title);
      row.description = text_of(guide, p.description);
      row.running = p.start <= now && now < p.stop;
      rows.push_back(std::move(row));
    }
  }
  return rows;
}
