#include "guide/guide_listing.h"

#include "catalogue/catalogue_dump.h"
#include "guide/guide_builder.h"

#include <QDateTime>

namespace {
std::string utc_text(int64_t seconds) {
  return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc())
      .toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"))
      .toStdString();
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
