#include "playback/stream_recorder.h"

#include "playback/player_component.h"
#include "playback/recording.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <QStorageInfo>
#include <QTimer>

StreamRecorder::StreamRecorder(QWidget* window, QObject* parent)
    : QObject(parent), window_(window), clock_(new QTimer(this)) {
  clock_->setInterval(1000);
  connect(clock_, &QTimer::timeout, this, &StreamRecorder::tick);
}

StreamRecorder::~StreamRecorder() {
  // Closing the program ends the file properly: mpv writes its end when the core goes.
  if (player_ && recording()) player_->stopRecording();
}

void StreamRecorder::setPlayer(PlayerComponent* player) {
  if (player_) disconnect(player_, nullptr, this, nullptr);
  player_ = player;
  if (player) {
    connect(player, &PlayerComponent::recordingFailed, this, [this](const QString& cause) {
      if (recording()) fail(QStringLiteral("The recording was stopped: %1").arg(cause));
    });
  }
}

bool StreamRecorder::start(const QString& channel_name, bool video) {
  if (!player_ || recording()) return false;
  const QString folder = recording_folder(video);
  const QString name = recording_file_name(channel_name, QDateTime::currentDateTime(),
                                           recording_extension(video, player_->audioCodec()));
  // The player only says it cannot write once it tries; a folder that cannot be made or written
  // to is told here, before anything starts. The file is made here, never over another: a second
  // recording within the same second is numbered.
  QFile probe;
  bool created = false;
  if (!folder.isEmpty() && QDir().mkpath(folder)) {
    for (int number = 1; number <= kNumberedNames && !created; ++number) {
      probe.setFileName(QDir(folder).filePath(number == 1 ? name : numbered_file_name(name, number)));
      created = probe.open(QIODevice::WriteOnly | QIODevice::NewOnly);
      if (!created && !probe.exists()) break;  // the folder refuses, whatever the name
    }
  }
  if (!created) {
    show_error(window_, QStringLiteral("The recording could not be started: \"%1\" cannot be written to.")
                            .arg(QDir::toNativeSeparators(folder)));
    return false;
  }
  probe.close();
  if (QStorageInfo(folder).bytesAvailable() < kRecordingFreeSpaceFloor) {
    probe.remove();
    show_error(window_, QStringLiteral("The recording could not be started: the disk is full."));
    return false;
  }
  path_ = probe.fileName();
  player_->startRecording(path_);
  elapsed_.start();
  clock_->start();
  Q_EMIT recordingChanged(true);
  Q_EMIT timeChanged(recording_time_text(0));
  return true;
}

void StreamRecorder::stop() {
  if (!recording()) return;
  if (player_) player_->stopRecording();
  clock_->stop();
  // The player closes the file a moment later. A stream that sent nothing new meanwhile (a file
  // the player had already read whole) leaves it empty, and an empty file is no recording.
  QTimer::singleShot(kEmptyFileCheckDelay, this, [path = path_] {
    if (QFileInfo(path).size() == 0) QFile::remove(path);
  });
  path_.clear();
  Q_EMIT recordingChanged(false);
  Q_EMIT timeChanged(QString());
}

void StreamRecorder::tick() {
  if (!recording()) return;
  if (QStorageInfo(QFileInfo(path_).absolutePath()).bytesAvailable() < kRecordingFreeSpaceFloor) {
    fail(QStringLiteral("The recording was stopped: the disk is full."));
    return;
  }
  // Rounded: the timer may come a little early, and "0:01" must not show twice.
  Q_EMIT timeChanged(recording_time_text((elapsed_.elapsed() + 500) / 1000));
}

void StreamRecorder::fail(const QString& message) {
  stop();
  show_error(window_, message);
}
