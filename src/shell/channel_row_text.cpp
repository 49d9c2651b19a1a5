#include "shell/channel_row_text.h"

#include "catalogue/channel_sources.h"
#include "catalogue/lookups.h"
#include "widgets/design_colours.h"

#include <cmath>
#include <cstdlib>

QString column_caption(int column) {
  switch (column) {
    case kColumnChannel: return QStringLiteral("Channel");
    case kColumnGenre: return QStringLiteral("Genre");
    case kColumnRating: return QStringLiteral("Rating");
    case kColumnBitrate: return QStringLiteral("Bitrate");
    case kColumnComments: return QStringLiteral("Comments");
    default: return {};
  }
}

QString format_rating(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 1e15) return QString::number(value, 'f', 2);
  // A double times 100 is exact in long double, so only true halves are rounded away from zero
  // (0.125 reads 0.13) and 2.675, which is stored slightly below, reads 2.67.
  const long double hundredths = std::roundl(static_cast<long double>(value) * 100.0L);
  const long long whole = std::llabs(static_cast<long long>(hundredths));
  const bool negative = hundredths < 0 && whole != 0;
  return QStringLiteral("%1%2.%3")
      .arg(negative ? QStringLiteral("-") : QString())
      .arg(whole / 100)
      .arg(whole % 100, 2, 10, QLatin1Char('0'));
}

QString cell_text(const Channel& channel, const std::vector<Genre>& genres, int column) {
  switch (column) {
    case kColumnChannel: return channel.name.text();
    case kColumnGenre: {
      // A source's own genre text is the name its genre row has, and says nothing when it has none.
      if (rules_of(channel).country_and_genre_by_name) return channel.genre.text();
      const int index = genre_index_by_id(genres, channel.genre_id);
      if (index < 0 || index >= static_cast<int>(genres.size()) || genres[index].id != channel.genre_id) return {};
      return genres[index].name.text();
    }
    case kColumnRating:
      switch (rules_of(channel).rating) {
        case RatingShown::Average: return format_rating(channel.average_rating);
        case RatingShown::No: return QStringLiteral("no");
        case RatingShown::Blank: return {};
      }
      return {};
    case kColumnBitrate: return rules_of(channel).bitrate_known ? QString::number(channel.bitrate) : QString();
    case kColumnComments: return to_qstring(channel.comment);
    default: return {};
  }
}

QColor row_background(const Channel& channel) {
  const DesignColours& colours = design_colours();
  return channel.user_defined == 1 ? colours.user_row : colours.list;
}

int state_picture_index(const Channel& channel) {
  if (!rules_of(channel).service_status_shown) return kPlaylistStatePicture;
  return channel.status >= 0 && channel.status <= 5 ? channel.status : -1;
}
