#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

class PlayerComponent;
class QTimer;
class QWidget;

// Records the playing stream into the user's Music or Videos folder, one file per start, and
// keeps the time for the status line. Ends the file when told, when the player gives up writing
// it (with a message) and before the disk fills; playback goes on either way.
class StreamRecorder : public QObject {
  Q_OBJECT
 public:
  // window: parent of the messages.
  explicit StreamRecorder(QWidget* window, QObject* parent = nullptr);
  ~StreamRecorder() override;

  void setPlayer(PlayerComponent* player);
  bool recording() const { return !path_.isEmpty(); }
  QString path() const { return path_; }

  // Starts a file named after the channel; answers false, after a message, when its folder cannot
  // be written to.
  bool start(const QString& channel_name, bool video);
  void stop();

  // How long after a stop an empty file is taken away.
  static constexpr int kEmptyFileCheckDelay = 2000;
  // How many recordings of one channel may start within one second before a start is refused.
  static constexpr int kNumberedNames = 99;

 Q_SIGNALS:
  void recordingChanged(bool on);
  // The recording's length ("0:07") once a second while it runs; empty when it ended.
  void timeChanged(const QString& text);

 private:
  void tick();
  void fail(const QString& message);

  QPointer<QWidget> window_;
  QPointer<PlayerComponent> player_;
  QTimer* clock_ = nullptr;
  QElapsedTimer elapsed_;
  QString path_;
};
