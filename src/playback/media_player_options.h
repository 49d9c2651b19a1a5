#pragma once
#include "playback/reconnect_schedule.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

// How the player reaches the machine's outputs. Tests choose "null" so they make no sound.
struct MediaPlayerOptions {
  QString audio_output;  // mpv "ao"; empty: mpv's choice
  QString audio_device;  // mpv "audio-device"; empty: the output's default
  QString video_output;  // mpv "vo"; empty: "libmpv", drawn by a VideoWidget
  // Further mpv options, set after all others (tests use one to make mpv refuse to start).
  std::vector<std::pair<QByteArray, QByteArray>> more_options;
  // When a stream that played is tried again after a drop (tests shorten it).
  ReconnectPolicy reconnect;
  // From QUOVI_AUDIO_OUTPUT, QUOVI_AUDIO_DEVICE and QUOVI_VIDEO_OUTPUT when they are set.
  static MediaPlayerOptions from_environment();
};
