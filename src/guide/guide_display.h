#pragma once
#include "guide/guide_set.h"

#include <QDate>
#include <QString>
#include <QTimeZone>

#include <optional>
#include <vector>

// The texts the screens show of a channel's guide, in the user's time zone. `shift` moves the
// guide's times by that many seconds for a channel whose playlist says its guide is off by some
// hours (tvg-shift): what runs at `now` is what the guide has at now - shift.

// "20:15–21:00"; the start alone for a programme without an end.
QString programme_time_span(const GuideProgramme& programme, const QTimeZone& zone, int64_t shift = 0);

struct NowNextTexts {
  QString now;        // "20:15–21:00  Title", empty when nothing runs
  QString next;       // the same for the programme after it
  int progress = -1;  // 0 to 100 through the one running; -1 when none
  // Both lines for a tooltip, below the channel's name.
  QString tooltip(const QString& channel_name) const;
};
NowNextTexts now_next_texts(const GuideSet& guides, std::optional<GuideChannelRef> match, int64_t now,
                            const QTimeZone& zone, int64_t shift = 0);

// One row of the day's guide: today's and tomorrow's programmes, with a heading row for each day.
struct GuideDayRow {
  QString day;  // set on a heading row only: "Today", "Tomorrow"
  QString time;
  QString title;
  QString sub_title;
  QString description;
  bool running = false;
};
std::vector<GuideDayRow> guide_day_rows(const GuideSet& guides, GuideChannelRef match, QDate today, int64_t now,
                                        const QTimeZone& zone, int64_t shift = 0);
