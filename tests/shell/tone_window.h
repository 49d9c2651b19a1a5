#pragma once
// The main window over one channel, "Tone", which a web server on 127.0.0.1 plays, with a player
// control attached. The test wires the commands and creates the player, in the order it needs.
#include "../playback/local_http_server.h"
#include "../playback/test_media.h"
#include "playback/player_control.h"
#include "shell/main_window.h"
#include "shell_fixture.h"
#include "widgets/messages.h"

namespace shell_test {

struct ToneWindow {
  RecordingMessageSink messages;  // first: it outlives the window
  quovi_test::LocalHttpServer server;
  AppState state;
  MainWindow window;
  PlayerControl* control;  // owned by the window

  ToneWindow()
      : state(state_with({{.name = QStringLiteral("Tone"), .url = served_tone(server)}})),
        window(state),
        control(new PlayerControl(state, &window, &window)) {
    window.attach_player_control(control);
  }

 private:
  static QString served_tone(quovi_test::LocalHttpServer& server) {
    server.serve("/tone.mp3", quovi_test::test_media(QStringLiteral("tone.mp3")), "audio/mpeg");
    return server.url(QStringLiteral("/tone.mp3"));
  }
};

}  // namespace shell_test
