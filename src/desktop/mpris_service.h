#pragma once
#include "desktop/media_command.h"
#include "desktop/mpris_values.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>

class PlayerControl;

// What the desktop's player controls do beyond the player itself; shell/command_wiring.cpp fills
// them. An empty entry leaves its call inert.
struct MprisHooks {
  std::function<void(MediaCommand)> command;  // Play, Pause, PlayPause, Stop, Next, Previous
  std::function<void()> raise;                // bring the main window to the front
  std::function<void()> quit;                 // close the program as its window's close does
};

// The player as an MPRIS media player (org.mpris.MediaPlayer2.quovi at /org/mpris/MediaPlayer2):
// desktop shells, their media keys and playerctl read its status, channel and volume and send it
// commands. The status and volume come from the PlayerControl; the channel in the player and what
// it plays are told through set_track and set_now_playing. Every change is announced with
// PropertiesChanged. Without a bus, or when the bus refuses the object, nothing is published and
// nothing fails.
class MprisService : public QObject {
  Q_OBJECT
 public:
  // On the session bus.
  MprisService(PlayerControl* control, const QString& desktop_entry, QObject* parent = nullptr);
  // On a given bus (tests).
  MprisService(PlayerControl* control, const QString& desktop_entry, const QDBusConnection& bus, QObject* parent);
  ~MprisService() override;

  MprisHooks& hooks() { return hooks_; }
  // The bus name taken: org.mpris.MediaPlayer2.quovi, or a name of its own per process when another
  // copy of the program holds that one; empty when nothing is published.
  QString service_name() const { return service_name_; }

  // The channel in the player; none when nothing is loaded. A new channel forgets the title the
  // last one played.
  void set_track(const std::optional<MprisTrack>& track);

  // --- What the adaptors read.
  QString desktop_entry() const { return desktop_entry_; }
  QString playback_status() const { return playback_status_; }
  QVariantMap metadata() const { return mpris_metadata(track_, now_playing_); }
  double volume() const { return mpris_volume(volume_); }
  bool has_track() const { return track_.has_value(); }

  // --- What the adaptors ask. Commands run from the event loop once the call is answered, so a
  // message box they open never holds a caller on the bus.
  void request(MediaCommand command);
  void request_raise();
  void request_quit();
  void set_volume(double volume);
  // Answers a call that is refused with the given D-Bus error.
  void refuse(const QDBusMessage& call, const QString& error, const QString& text);

 public Q_SLOTS:
  // What the playing channel says it plays (a radio station's stream title); empty: nothing known.
  void set_now_playing(const QString& title);

 private:
  void publish();
  void on_status_text(const QString& status);
  void on_volume(int volume);
  void run_later(std::function<void()> hook);
  // PropertiesChanged for the named properties of one interface.
  void announce(const QString& interface, const QVariantMap& changed);

  QDBusConnection bus_;
  QPointer<PlayerControl> control_;
  QString desktop_entry_;
  MprisHooks hooks_;
  QString service_name_;
  QString playback_status_ = QStringLiteral("Stopped");
  int volume_ = 0;
  std::optional<MprisTrack> track_;
  QString now_playing_;
};
