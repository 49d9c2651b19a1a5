#pragma once
#include <QString>
#include <QVariantMap>

#include <optional>

struct Catalogue;

// The channel in the player, as the desktop is shown it.
struct MprisTrack {
  int channel_id = 0;
  QString name;
  QString address;
  // The channel's picture where one is known; catalogue channels carry none yet.
  QString logo_url;

  bool operator==(const MprisTrack&) const = default;
};

// The channel at a position of the channel array; none for a position outside it.
std::optional<MprisTrack> mpris_track(const Catalogue& catalogue, int position);

// "Playing", "Paused" or "Stopped" for the player's status text. A channel on its way (connecting,
// buffering, coming back) counts as playing, as the window shows its Pause button then.
QString mpris_playback_status(const QString& status_text);
// Whether that status is "Playing": PlayPause then pauses, otherwise it plays.
bool counts_as_playing(const QString& status_text);

// The Metadata map: the track id always; the channel name as title, what the channel says it plays
// as artist, its address and picture, each where known.
QVariantMap mpris_metadata(const std::optional<MprisTrack>& track, const QString& now_playing);

// The player's volume 0..100 as 0.0..1.0, and back: a value outside the range is held to it, one
// that is no number at all changes nothing.
double mpris_volume(int volume);
std::optional<int> player_volume(double mpris_volume);
