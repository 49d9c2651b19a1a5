#pragma once
#include "playback/player_component.h"

#include <QStringList>

namespace shell_test {

// Stands in for the media player: does what it is told and writes it down; tests raise the
// status changes and errors.
class StandInPlayer : public PlayerComponent {
 public:
  using PlayerComponent::PlayerComponent;

  QString URL() const override { return url; }
  void setURL(const QString& u) override {
    url = u;
    calls << QStringLiteral("url:") + u;
  }
  QString status() const override { return status_text; }
  void play() override { calls << QStringLiteral("play"); }
  void pause() override { calls << QStringLiteral("pause"); }
  void stop() override { calls << QStringLiteral("stop"); }
  int volume() const override { return volume_value; }
  void setVolume(int v) override { volume_value = v; }
  bool mute() const override { return muted; }
  void setMute(bool m) override { muted = m; }
  bool autoStart() const override { return false; }
  void setAutoStart(bool) override {}
  QString uiMode() const override { return QStringLiteral("none"); }
  void setUiMode(const QString&) override {}
  bool stretchToFit() const override { return true; }
  void setStretchToFit(bool) override {}
  bool fullScreen() const override { return full_screen; }
  void setFullScreen(bool on) override { full_screen = on; }
  bool hasCurrentMedia() const override { return !url.isEmpty(); }
  QString currentMedia() const override { return url; }
  int errorCount() const override { return static_cast<int>(errors.size()); }
  PlayerError error(int i) const override { return errors.value(i); }
  void clearErrors() override { errors.clear(); }

  void raise_status(const QString& text) {
    status_text = text;
    Q_EMIT StatusChange();
  }
  void raise_error(const QString& description) {
    errors = {PlayerError{1, description, false}};
    Q_EMIT Error();
  }
  int count(const QString& call) const { return static_cast<int>(calls.count(call)); }

  QString url;
  QString status_text = QStringLiteral("Stopped");
  QStringList calls;
  int volume_value = 100;
  bool muted = false;
  bool full_screen = false;
  QList<PlayerError> errors;
};

}  // namespace shell_test
