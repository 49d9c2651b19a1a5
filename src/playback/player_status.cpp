#include "playback/player_status.h"

QString status_text(const PlayerState& state) {
  switch (state.phase) {
    case PlayerPhase::Empty:
    case PlayerPhase::Stopped: return QString::fromLatin1(kPlayerStopped);
    case PlayerPhase::Ready: return QString::fromLatin1(kPlayerReady);
    case PlayerPhase::Reconnecting: return QString::fromLatin1(kPlayerReconnecting);
    case PlayerPhase::Opening:
      if (state.pause) return QString::fromLatin1(kPlayerPaused);
      return QString::fromLatin1(state.reconnecting ? kPlayerReconnecting : kPlayerConnecting);
    case PlayerPhase::Active:
      if (state.pause) return QString::fromLatin1(kPlayerPaused);
      // A try that has the stream open but not playing yet is still part of getting it back.
      if (state.restarting || state.paused_for_cache || state.core_idle)
        return QString::fromLatin1(state.reconnecting ? kPlayerReconnecting : kPlayerBuffering);
      return QString::fromLatin1(kPlayerPlaying);
  }
  return QString::fromLatin1(kPlayerStopped);
}

bool status_is_playing(const QString& status) {
  return status.contains(QLatin1String("PLAYING"), Qt::CaseInsensitive);
}

bool status_runs_pause_command(const QString& status) {
  return status == QLatin1String(kPlayerPaused) || status == QLatin1String(kPlayerStopped);
}
