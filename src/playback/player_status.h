#pragma once
#include <QString>

// The status texts the rest of the program relies on; the window compares the first three exactly.
inline constexpr const char* kPlayerReady = "Ready";
inline constexpr const char* kPlayerStopped = "Stopped";
inline constexpr const char* kPlayerPaused = "Paused";
inline constexpr const char* kPlayerPlaying = "Playing";
inline constexpr const char* kPlayerConnecting = "Connecting...";
inline constexpr const char* kPlayerBuffering = "Buffering...";
inline constexpr const char* kPlayerReconnecting = "Reconnecting...";

// Where the player is with the current URL. Only Opening and Active have anything inside mpv.
enum class PlayerPhase {
  Empty,    // no URL
  Ready,    // URL written, not started: nothing transferred yet
  Opening,  // loadfile issued, the file is not open yet
  Active,   // the file is open; mpv's own flags tell playing, paused and buffering apart
  Stopped,  // stopped by the user, at the end of the stream or after an error
  Reconnecting,  // a stream that played dropped; waiting for the next try
};

// The part of mpv's state the status text depends on.
struct PlayerState {
  PlayerPhase phase = PlayerPhase::Empty;
  bool pause = false;             // mpv "pause"
  bool core_idle = true;          // mpv "core-idle": not advancing (paused, waiting for data, seeking)
  bool paused_for_cache = false;  // mpv "paused-for-cache"
  bool restarting = false;        // the file is open but playback has not (re)started yet
  bool reconnecting = false;      // a stream that played dropped and is being tried again
};

QString status_text(const PlayerState& state);

// What the window tests on a status text.
bool status_is_playing(const QString& status);        // contains "PLAYING" in any case
bool status_runs_pause_command(const QString& status);  // exactly "Paused" or "Stopped"
