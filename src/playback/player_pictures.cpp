#include "playback/player_pictures.h"

#include <QtGlobal>

#include <mutex>

static void init_playback_resource() { Q_INIT_RESOURCE(playback); }

void register_player_pictures() {
  static std::once_flag once;
  std::call_once(once, init_playback_resource);
}

namespace {
QString picture(const char* name) {
  register_player_pictures();
  return QStringLiteral(":/playback/") + QLatin1String(name);
}
}  // namespace

QString play_picture() { return picture("play.svg"); }
QString pause_picture() { return picture("pause.svg"); }
QString mute_picture() { return picture("mute.svg"); }
QString unmute_picture() { return picture("unmute.svg"); }
QString fullscreen_picture() { return picture("fullscreen.svg"); }
