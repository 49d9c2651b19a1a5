// The pure rules of playback: status texts, allowed addresses, error descriptions, volume.
#include "playback/player_error_text.h"
#include "playback/player_status.h"
#include "playback/player_version.h"
#include "playback/stream_url.h"
#include "playback/volume.h"

#include <mpv/client.h>

#include <gtest/gtest.h>

#include <QFile>

TEST(PlayerStatus, TextFollowsPhaseAndMpvFlags) {
  struct Case {
    PlayerState state;
    const char* text;
  };
  using P = PlayerPhase;
  const Case cases[] = {
      {{P::Empty, false, true, false, false}, "Stopped"},
      {{P::Ready, false, true, false, false}, "Ready"},
      {{P::Stopped, false, false, false, false}, "Stopped"},
      {{P::Stopped, true, true, false, false}, "Stopped"},
      {{P::Opening, false, true, false, false}, "Connecting..."},
      {{P::Opening, false, false, false, false}, "Connecting..."},  // a stale flag of the last file
      {{P::Opening, true, true, false, false}, "Paused"},
      {{P::Active, false, false, false, false}, "Playing"},
      {{P::Active, false, true, false, false}, "Buffering..."},
      {{P::Active, false, false, true, false}, "Buffering..."},
      {{P::Active, false, false, false, true}, "Buffering..."},
      {{P::Active, true, true, true, false}, "Paused"},
      // A stream that played dropped: every step of getting it back reads the same.
      {{P::Reconnecting, false, true, false, false, true}, "Reconnecting..."},
      {{P::Opening, false, true, false, false, true}, "Reconnecting..."},
      {{P::Active, false, true, false, true, true}, "Reconnecting..."},
      {{P::Active, false, false, false, false, true}, "Playing"},
      {{P::Opening, true, true, false, false, true}, "Paused"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(status_text(c.state), c.text) << int(c.state.phase) << c.state.pause << c.state.core_idle
                                            << c.state.paused_for_cache << c.state.restarting;
  }
}

TEST(PlayerStatus, WhatTheWindowReadsFromTheText) {
  for (const char* yes : {"Playing", "playing", "PLAYING", "now PLAYING stream"}) EXPECT_TRUE(status_is_playing(yes)) << yes;
  for (const char* no : {"Paused", "Ready", "Buffering...", "Play ing", ""}) EXPECT_FALSE(status_is_playing(no)) << no;
  EXPECT_TRUE(status_runs_pause_command("Paused"));
  EXPECT_TRUE(status_runs_pause_command("Stopped"));
  EXPECT_FALSE(status_runs_pause_command("paused"));
  EXPECT_FALSE(status_runs_pause_command("Stopped "));
  EXPECT_FALSE(status_runs_pause_command("Ready"));
}

TEST(StreamUrl, OnlyNetworkStreamsPass) {
  const char* allowed[] = {
      "http://radio.example.org:8000/live",
      "HTTPS://tv.example.org/hls/index.m3u8",
      "mms://media.example.org/stream",
      "mmsh://media.example.org/stream",
      "rtsp://cam.example.org/live.sdp",
      "rtmp://live.example.org/app/key",
      "rtp://239.0.0.1:5004",
      "udp://@239.0.0.1:1234",
      "http://example.org/a path with spaces.mp3",
  };
  for (const char* url : allowed) EXPECT_TRUE(is_network_stream_url(QString::fromUtf8(url))) << url;
  const char* refused[] = {
      "",
      "/home/user/secret.mp3",
      "C:\\music\\a.mp3",
      "file:///etc/passwd",
      "file:/etc/passwd",
      "av://lavfi:sine",
      "lavfi://sine",
      "edl://a.mp3,0,10",
      "memory://abc",
      "fd://0",
      "ytdl://x",
      "http:/missing-slash",
      "http://",
      "://example.org",
      "1http://example.org",
      "ht tp://example.org",
      "http://example.org/\nloadfile x",
      "appending://stream",
      "bd://1",
  };
  for (const char* url : refused) EXPECT_FALSE(is_network_stream_url(QString::fromUtf8(url))) << url;
}

TEST(PlayerErrorText, CauseFromMpvsLog) {
  struct Case {
    QStringList log;
    const char* cause;
  };
  const Case cases[] = {
      {{"ffmpeg: tcp: Connection to tcp://127.0.0.1:1 failed: Connection refused",
        "stream: Failed to open http://127.0.0.1:1/x.mp3."},
       "Connection refused"},
      {{"ffmpeg: http: HTTP error 404 Not Found", "stream: Failed to open http://h/x."}, "HTTP error 404 Not Found"},
      {{"ffmpeg: http: Server returned 403 Forbidden (access denied)"}, "HTTP error 403 Forbidden"},
      {{"ffmpeg: tcp: Failed to resolve hostname nowhere.invalid: Name or service not known"},
       "Failed to resolve hostname nowhere.invalid: Name or service not known"},
      {{"ffmpeg: tcp: Connection to tcp://10.0.0.1:80 failed: Connection timed out"}, "Connection timed out"},
      {{"ffmpeg: rtsp: method DESCRIBE failed: 454 Session Not Found"}, "454 Session Not Found"},
      // The newest attempt tells why it finally failed.
      {{"ffmpeg: HTTP error 500 Internal Server Error", "ffmpeg: HTTP error 404 Not Found"}, "HTTP error 404 Not Found"},
      {{"stream: Refusing to load potentially unsafe URL from a playlist.",
        "stream: Use the --load-unsafe-playlists option to load it anyway."},
       "Refusing to load potentially unsafe URL from a playlist"},
      {{"cplayer: Audio: no audio"}, ""},
      {{}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(error_cause_from_log(c.log), c.cause) << c.log.join('|').toStdString();
}

TEST(PlayerErrorText, DescriptionKeepsMpvsWords) {
  EXPECT_EQ(describe_player_error("Connection refused", "loading failed"),
            "Cannot play this channel: Connection refused (loading failed).");
  EXPECT_EQ(describe_player_error("", "unrecognized file format"),
            "Cannot play this channel: unrecognized file format.");
}

TEST(PlayerErrorText, FailuresOfThisComputerAreNamedAndSetApart) {
  struct Case {
    int code;
    QStringList log;
    const char* text;
    bool local;
  };
  const Case cases[] = {
      {MPV_ERROR_AO_INIT_FAILED,
       {"ao/alsa: Playback open error: No such file or directory", "cplayer: Could not open/initialize audio device -> no sound."},
       "Cannot play this channel on this computer: no sound device could be opened (audio output initialization failed).",
       true},
      {MPV_ERROR_VO_INIT_FAILED,
       {"vo: Error opening/initializing the selected video_out (--vo) device."},
       "Cannot play this channel on this computer: the video output could not be started (video output initialization "
       "failed).",
       true},
      // mpv ends a load whose video output failed with a vaguer code; its log tells.
      {MPV_ERROR_GENERIC,
       {"vo/libmpv: No render context set.", "cplayer: Error opening/initializing the selected video_out (--vo) device."},
       "Cannot play this channel on this computer: the video output could not be started (something happened).",
       true},
      // No decoder at all for a format mpv knows.
      {MPV_ERROR_NOTHING_TO_PLAY,
       {"vd: Failed to initialize a decoder for codec 'hevc'.", "cplayer: No video or audio streams selected."},
       "Cannot play this channel on this computer: no decoder for the format hevc is installed (no audio or video data "
       "played).",
       true},
      // A decoder is there but the stream's data defeats it, or the format has no name: the stream's fault.
      {MPV_ERROR_NOTHING_TO_PLAY,
       {"vd: Decoder init failed for h264", "vd: Failed to initialize a decoder for codec 'h264'."},
       "Cannot play this channel: no audio or video data played.",
       false},
      {MPV_ERROR_NOTHING_TO_PLAY,
       {"mkv: Unknown/unsupported CodecID (V_QUOVI/NO/CDC ) or missing/bad CodecPrivate data (track 1).",
        "vd: Failed to initialize a decoder for codec ''."},
       "Cannot play this channel: no audio or video data played.",
       false},
      {MPV_ERROR_LOADING_FAILED,
       {"ffmpeg: http: HTTP error 404 Not Found"},
       "Cannot play this channel: HTTP error 404 Not Found (loading failed).",
       false},
  };
  for (const Case& c : cases) {
    const PlayerError error = player_failure(c.code, c.log);
    EXPECT_EQ(error.code, c.code);
    EXPECT_EQ(error.description, QString::fromUtf8(c.text)) << c.log.join('|').toStdString();
    EXPECT_EQ(error.local_failure, c.local) << c.log.join('|').toStdString();
    EXPECT_FALSE(error.refused_url);
  }
}

TEST(Volume, ClickPositionGivesVolume) {
  const std::pair<int, int> cases[] = {{0, 0},   {3, 5},    {9, 15},  {30, 49},   {31, 51},
                                       {61, 100}, {-20, 0}, {81, 100}, {60, 98},  {1, 2}};
  for (auto [x, volume] : cases) EXPECT_EQ(volume_from_click(x), volume) << x;
}

TEST(Volume, PictureRoundsHalfToEven) {
  const std::pair<int, int> cases[] = {{0, 0},  {4, 0},  {5, 0},  {6, 1},  {14, 1}, {15, 2},  {25, 2},
                                       {30, 3}, {35, 4}, {45, 4}, {49, 5}, {55, 6}, {65, 6},  {75, 8},
                                       {85, 8}, {94, 9}, {95, 10}, {100, 10}};
  for (auto [volume, picture] : cases) EXPECT_EQ(volume_picture_index(volume), picture) << volume;
  EXPECT_EQ(volume_hint(49), "49%");
  EXPECT_EQ(volume_hint(0), "0%");
}

TEST(PlayerVersion, MinimumIsClientApiTwoZero) {
  EXPECT_FALSE(player_version_supported(0));
  EXPECT_FALSE(player_version_supported(0x00010069));  // 1.105
  EXPECT_TRUE(player_version_supported(0x00020000));
  EXPECT_TRUE(player_version_supported(0x00020003));
  EXPECT_TRUE(player_version_supported(player_version()));  // the libmpv the tests run with
  EXPECT_TRUE(missing_player_question().contains("libmpv"));
}
