#pragma once
#include <QString>

// Pictures of the player buttons (resources/playback.qrc). Each call makes sure the pictures are
// registered, which a static library does not do by itself.
QString play_picture();
QString pause_picture();
QString mute_picture();    // sound on: click to mute
QString unmute_picture();  // muted: click for sound
QString fullscreen_picture();
void register_player_pictures();
