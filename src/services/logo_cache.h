#pragma once
#include <QCache>
#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <deque>
#include <optional>

// Logos of channels and stations, whoever names them (a playlist's tvg-logo, a directory's
// favicon): fetched when a screen first wants one, never for a whole list; each kept in the cache
// folder with what the server said of it, and asked again with a conditional request once a day.
// The fetching, the files and the decoding all happen off the GUI thread.

// The longest logo address kept or fetched: real ones are a few hundred bytes, and a list of a
// hundred thousand channels keeps one for each.
inline constexpr qsizetype kMaxLogoAddressBytes = 2048;

// The address a logo may be fetched from: a network address by the rule of stream addresses, and
// one spoken over http or https, within kMaxLogoAddressBytes. Nothing for a file, a program or any
// other scheme.
std::optional<QUrl> logo_fetch_address(const QString& address);

// The folder of the logos' copies in the program's cache folder.
QString logo_cache_folder();

// Takes out of `folder` the copies of logos no screen has wanted for `max_age_seconds` (their info,
// rewritten at every check, tells), and any other file there as old as that: a copy whose info was
// lost, or the remains of a write cut short. Run on a worker; a file that cannot go stays.
void prune_logo_copies(const QString& folder, const QDateTime& now_utc, qint64 max_age_seconds);

class LogoCache : public QObject {
  Q_OBJECT
 public:
  // A copy is asked for again, conditionally, once it is this old.
  static constexpr qint64 kRefreshSeconds = 24 * 3600;
  // A copy no screen wanted for this long goes, once a run, when the cache is made.
  static constexpr qint64 kForgetSeconds = 60 * 24 * 3600;
  // A logo that could not be had is not looked for again before this.
  static constexpr qint64 kRetrySeconds = 5 * 60;
  // A fetch that has not ended by then is given up (the stall limits end a silent one sooner).
  static constexpr long kFetchSeconds = 60;
  // Looked for at once; the latest wanted go first, and only a few wait.
  static constexpr int kMaxRunning = 3;
  static constexpr size_t kMaxWaiting = 8;

  explicit LogoCache(QString folder, QObject* parent = nullptr);
  ~LogoCache() override;

  // The logo of `address` where it is known: the picture, or a null image when there is none to
  // show (no address, a refused one, a failed fetch, a broken or hostile picture). Otherwise
  // nothing: it is being looked for, and ready() tells when it is known.
  std::optional<QImage> logo(const QString& address);

  // Where the copy of the logo at `address` is kept.
  QString copy_path(const QString& address) const;

 Q_SIGNALS:
  void ready(const QString& address, const QImage& image);

 private:
  struct Known {
    QImage image;
    qint64 retry_after = 0;  // a null image: when the logo may be looked for again (epoch seconds)
  };
  void start_waiting();
  // Takes the copy on disk when it is fresh, else fetches it first.
  void look_up(const QString& address);
  void fetch(const QString& address);
  void decode(const QString& address);
  void found(const QString& address, const QImage& image);

  QString folder_;
  QCache<QString, Known> known_;  // cost: kilobytes
  QSet<QString> running_;
  std::deque<QString> waiting_;
};
