#pragma once
#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

class MprisService;

// The two interfaces every MPRIS player answers, as thin views of the MprisService they belong to.

// org.mpris.MediaPlayer2: who the player is, and bringing it to the front or ending it.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ canQuit)
  Q_PROPERTY(bool CanRaise READ canRaise)
  Q_PROPERTY(bool HasTrackList READ hasTrackList)
  Q_PROPERTY(QString Identity READ identity)
  Q_PROPERTY(QString DesktopEntry READ desktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
 public:
  explicit MprisRootAdaptor(MprisService* service);

  bool canQuit() const { return true; }
  bool canRaise() const { return true; }
  bool hasTrackList() const { return false; }
  QString identity() const;
  QString desktopEntry() const;
  // Channels are played from the program's own list; no address is opened from outside.
  QStringList supportedUriSchemes() const { return {}; }
  QStringList supportedMimeTypes() const { return {}; }

 public Q_SLOTS:
  void Raise();
  void Quit();

 private:
  MprisService* service_;
};

// org.mpris.MediaPlayer2.Player: the player's controls, status, channel and volume. Live channels
// have no position to seek to.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
  Q_PROPERTY(double Rate READ rate WRITE setRate)
  Q_PROPERTY(double MinimumRate READ rate)
  Q_PROPERTY(double MaximumRate READ rate)
  Q_PROPERTY(QVariantMap Metadata READ metadata)
  Q_PROPERTY(double Volume READ volume WRITE setVolume)
  Q_PROPERTY(qlonglong Position READ position)
  Q_PROPERTY(bool CanGoNext READ canControl)
  Q_PROPERTY(bool CanGoPrevious READ canControl)
  Q_PROPERTY(bool CanPlay READ hasTrack)
  Q_PROPERTY(bool CanPause READ hasTrack)
  Q_PROPERTY(bool CanSeek READ canSeek)
  Q_PROPERTY(bool CanControl READ canControl)
 public:
  explicit MprisPlayerAdaptor(MprisService* service);

  QString playbackStatus() const;
  double rate() const { return 1.0; }
  void setRate(double) {}  // one speed only
  QVariantMap metadata() const;
  double volume() const;
  void setVolume(double volume);
  qlonglong position() const { return 0; }
  bool canControl() const { return true; }
  bool hasTrack() const;
  bool canSeek() const { return false; }

 public Q_SLOTS:
  void Play();
  void Pause();
  void PlayPause();
  void Stop();
  void Next();
  void Previous();
  void Seek(qlonglong offset) { Q_UNUSED(offset); }
  void SetPosition(const QDBusObjectPath& track, qlonglong position) {
    Q_UNUSED(track);
    Q_UNUSED(position);
  }
  void OpenUri(const QString& uri, const QDBusMessage& call);

 Q_SIGNALS:
  void Seeked(qlonglong position);

 private:
  MprisService* service_;
};
