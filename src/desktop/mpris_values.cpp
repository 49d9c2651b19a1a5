#include "desktop/mpris_values.h"

#include "catalogue/records.h"
#include "playback/player_status.h"

#include <QDBusObjectPath>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
// The object path the desktop uses to tell one channel from another; the channel id keeps it
// stable while the list is sorted or filtered.
QDBusObjectPath track_id(const std::optional<MprisTrack>& track) {
  if (!track) return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
  const int id = track->channel_id;
  // Path elements take letters, digits and "_" only.
  const QString element = id < 0 ? QStringLiteral("n%1").arg(-static_cast<qint64>(id)) : QString::number(id);
  return QDBusObjectPath(QStringLiteral("/org/talvex/Quovi/Channel/") + element);
}
}  // namespace

std::optional<MprisTrack> mpris_track(const Catalogue& catalogue, int position) {
  if (position < 0 || static_cast<size_t>(position) >= catalogue.channels.size()) return std::nullopt;
  const Channel& channel = catalogue.channels[static_cast<size_t>(position)];
  MprisTrack track;
  track.channel_id = channel.id;
  track.name = channel.name.text();
  track.address = to_qstring(channel.url);
  return track;
}

QString mpris_playback_status(const QString& status_text) {
  if (status_text == QLatin1String(kPlayerPaused)) return QStringLiteral("Paused");
  if (status_text.isEmpty() || status_text == QLatin1String(kPlayerStopped) ||
      status_text == QLatin1String(kPlayerReady))
    return QStringLiteral("Stopped");
  return QStringLiteral("Playing");
}

bool counts_as_playing(const QString& status_text) {
  return mpris_playback_status(status_text) == QLatin1String("Playing");
}

QVariantMap mpris_metadata(const std::optional<MprisTrack>& track, const QString& now_playing) {
  QVariantMap metadata;
  metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(track_id(track)));
  if (!track) return metadata;
  metadata.insert(QStringLiteral("xesam:title"), track->name);
  if (!now_playing.isEmpty()) metadata.insert(QStringLiteral("xesam:artist"), QStringList{now_playing});
  if (!track->address.isEmpty()) metadata.insert(QStringLiteral("xesam:url"), track->address);
  if (!track->logo_url.isEmpty()) metadata.insert(QStringLiteral("mpris:artUrl"), track->logo_url);
  return metadata;
}

double mpris_volume(int volume) { return std::clamp(volume, 0, 100) / 100.0; }

std::optional<int> player_volume(double mpris_volume) {
  if (!std::isfinite(mpris_volume)) return std::nullopt;
  return static_cast<int>(std::lround(std::clamp(mpris_volume, 0.0, 1.0) * 100.0));
}
