#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>

// One entry of the player's error queue.
struct PlayerError {
  int code = 0;              // mpv error code; 0 when the player refused the address itself
  QString description;       // the text shown to the user
  bool refused_url = false;  // the address was not a network stream and never reached mpv
  // This computer failed, not the channel: no sound device, no video output, a decoder missing.
  bool local_failure = false;
};

// The members and events of the media player component the program relies on. MediaPlayer is the
// real one; the player control is written against this so it can be tried with a scripted player.
// What a channel's stream asks of the HTTP requests for it; empty texts leave the player's own.
struct StreamHttpOptions {
  QByteArray user_agent;
  QByteArray referrer;
  QByteArray headers;  // the others (Origin, Cookie...): "Name: value" lines apart by LF
};

class PlayerComponent : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  // Writing loads without playing while autoStart is off; the empty text unloads and stops;
  // reading answers the last text written.
  virtual QString URL() const = 0;
  virtual void setURL(const QString& url) = 0;
  // For the loads of the address written next, until other options are given.
  virtual void setHttpOptions(const StreamHttpOptions& options) { (void)options; }
  virtual QString status() const = 0;

  // controls
  virtual void play() = 0;
  virtual void pause() = 0;
  virtual void stop() = 0;

  // settings
  virtual int volume() const = 0;  // 0..100
  virtual void setVolume(int volume) = 0;
  virtual bool mute() const = 0;
  virtual void setMute(bool mute) = 0;
  virtual bool autoStart() const = 0;
  virtual void setAutoStart(bool on) = 0;

  virtual QString uiMode() const = 0;
  virtual void setUiMode(const QString& mode) = 0;
  virtual bool stretchToFit() const = 0;
  virtual void setStretchToFit(bool on) = 0;
  virtual bool fullScreen() const = 0;
  virtual void setFullScreen(bool on) = 0;

  // Whether media is loaded, and its address.
  virtual bool hasCurrentMedia() const = 0;
  virtual QString currentMedia() const = 0;

  // The error queue, oldest first.
  virtual int errorCount() const = 0;
  virtual PlayerError error(int index) const = 0;
  virtual void clearErrors() = 0;

  // What the stream says it plays now, as it came (see now_playing_title); empty when nothing.
  virtual QString nowPlaying() const { return {}; }

  // Recording: the stream's packets written to `path` as they come, without decoding them.
  // A failure is raised as recordingFailed; playback goes on.
  virtual void startRecording(const QString& path) { Q_UNUSED(path); }
  virtual void stopRecording() {}
  // The playing stream's audio format ("mp3", "aac"...), empty while unknown.
  virtual QString audioCodec() const { return {}; }

 Q_SIGNALS:
  void StatusChange();
  void Error();
  // Raised when fullScreen is written, so the video widget follows.
  void fullScreenChanged(bool on);
  // The stream's title changed; empty when the stream ended or names nothing.
  void nowPlayingChanged(const QString& title);
  // The recording could not be written and was ended; `cause` as the player's log put it.
  void recordingFailed(const QString& cause);
};
