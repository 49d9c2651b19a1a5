#include "guide/guide_listing.h"

#include "catalogue/catalogue_dump.h"
#include "guide/guide_builder.h"

#include <cstdio>

namespace {
// YYYY-MM-DDTHH:MM:SSZ; by hand, since a listing of millions of programmes spent most of its time
// in a general date formatter.
std::string utc_text(int64_t seconds) {
  int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Days since 1970-01-01 to a date of the proleptic Gregorian calendar (H. Hinnant's algorithm).
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t shifted_month = (5 * day_of_year + 2) / 153;
  const int64_t day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
  const int64_t month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
  const int64_t year = year_of_era + era * 400 + (month <= 2);
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", static_cast<long long>(year),
                static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
  return text;
}
}  // namespace

GuideWindow every_guide_day() { return {kEarliestGuideTime, kLatestGuideTime + 1}; }

void write_guide_listing(std::ostream& out, const Guide& guide) {
  for (const GuideChannel& channel : guide.channels) {
    out << "channel\t" << escape_dump_text(guide.text(channel.id)) << '\t';
    bool first = true;
    for (const GuideDisplayName& name : guide.names_of(channel)) {
      out << (first ? "" : "|") << escape_dump_text(guide.text(name.name));
      first = false;
    }
    out << '\n';
  }
  for (const GuideChannel& channel : guide.channels)
    for (const GuideProgramme& p : channel.programmes)
      out << "programme\t" << escape_dump_text(guide.text(channel.id)) << '\t' << utc_text(p.start) << '\t'
          << (p.stop == p.start ? std::string() : utc_text(p.stop)) << '\t' << escape_dump_text(guide.text(p.title))
          << '\t' << escape_dump_text(guide.text(p.sub_title)) << '\n';
  out << "kept " << guide.channels.size() << " channels, " << guide.programme_count() << " programmes\n";
}
