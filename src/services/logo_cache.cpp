#include "services/logo_cache.h"

#include "services/logo_image.h"
#include "services/remote_copy.h"
#include "services/stream_address.h"
#include "services/worker_thread.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QStandardPaths>

#include <algorithm>
#include <limits>

namespace {
// Decoded logos kept in memory: a hundred or so at their kept size.
constexpr int kKnownKilobytes = 8 * 1024;

// The copy's picture, when the file is within a logo's bounds; run on a worker.
QImage read_logo(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxLogoBytes) return {};
  return decode_logo(file.read(kMaxLogoBytes + 1));
}

template <typename T, typename Then>
void when_done(QObject* owner, QFuture<T> future, Then then) {
  auto* watcher = new QFutureWatcher<T>(owner);
  QObject::connect(watcher, &QFutureWatcherBase::finished, owner, [watcher, then = std::move(then)] {
    watcher->deleteLater();
    then(watcher->result());
  });
  watcher->setFuture(future);
}
}  // namespace

std::optional<QUrl> logo_fetch_address(const QString& address) {
  if (address.size() > kMaxLogoAddressBytes) return std::nullopt;
  std::optional<QUrl> url = testable_stream_address(address);
  if (!url) return std::nullopt;
  const QString scheme = url->scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return std::nullopt;
  return url;
}

QString logo_cache_folder() {
  return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/logos");
}

void prune_logo_copies(const QString& folder, const QDateTime& now_utc, qint64 max_age_seconds) {
  const QDateTime before = now_utc.addSecs(-max_age_seconds);
  const QString info_suffix = QStringLiteral(".source");
  QDir dir(folder);
  for (QFileInfo file : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
    file.refresh();  // the listing's own look may be older than a fetch just made
    if (file.lastModified() >= before) continue;
    const QString name = file.fileName();
    // A copy goes with its info: the info's age is the copy's last use.
    if (name.endsWith(info_suffix)) {
      dir.remove(name.chopped(info_suffix.size()));
      dir.remove(name);
    } else if (!QFileInfo::exists(file.filePath() + info_suffix)) {
      dir.remove(name);
    }
  }
}

LogoCache::LogoCache(QString folder, QObject* parent) : QObject(parent), folder_(std::move(folder)) {
  known_.setMaxCost(kKnownKilobytes);
  // Fire and forget: the sweep touches only files older than any a fetch of this run writes.
  run_on_worker([folder = folder_] {
    prune_logo_copies(folder, QDateTime::currentDateTimeUtc(), kForgetSeconds);
    return true;
  });
}

LogoCache::~LogoCache() = default;

QString LogoCache::copy_path(const QString& address) const {
  const QByteArray digest = QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
  return folder_ + QLatin1Char('/') + QString::fromLatin1(digest);
}

std::optional<QImage> LogoCache::logo(const QString& address) {
  const qint64 now = QDateTime::currentSecsSinceEpoch();
  if (const Known* known = known_.object(address)) {
    if (!known->image.isNull() || now < known->retry_after) return known->image;
  }
  if (running_.contains(address)) return std::nullopt;
  if (!logo_fetch_address(address)) {
    // Refused for good: never a fetch, and the answer costs nothing to keep.
    known_.insert(address, new Known{QImage(), std::numeric_limits<qint64>::max()}, 1);
    return QImage();
  }
  std::erase(waiting_, address);
  waiting_.push_back(address);
  if (waiting_.size() > kMaxWaiting) waiting_.pop_front();
  start_waiting();
  return std::nullopt;
}

void LogoCache::start_waiting() {
  while (running_.size() < kMaxRunning && !waiting_.empty()) {
    const QString address = waiting_.back();
    waiting_.pop_back();
    running_.insert(address);
    look_up(address);
  }
}

void LogoCache::look_up(const QString& address) {
  struct Fresh {
    bool fresh = false;
    QImage image;
  };
  const QString path = copy_path(address);
  when_done(this, run_on_worker([folder = folder_, path, address] {
              QDir().mkpath(folder);
              const RemoteCopyInfo info = read_remote_copy_info(path);
              if (info.address != address || !QFile::exists(path) ||
                  remote_copy_due(info, QDateTime::currentDateTimeUtc(), kRefreshSeconds))
                return Fresh{};
              return Fresh{true, read_logo(path)};
            }),
            [this, address](const Fresh& copy) { copy.fresh ? found(address, copy.image) : fetch(address); });
}

void LogoCache::fetch(const QString& address) {
  auto* refresh = new RemoteCopyRefresh(address, copy_path(address), kMaxLogoBytes, this);
  refresh->set_timeout_seconds(kFetchSeconds);
  // Whatever the outcome, the copy there is now is the logo: a new one, the one the server said
  // was still good, or the last one when the server could not be asked.
  connect(refresh, &RemoteCopyRefresh::finished, this, [this, refresh, address] {
    refresh->deleteLater();
    decode(address);
  });
  refresh->start();
}

void LogoCache::decode(const QString& address) {
  when_done(this, run_on_worker([path = copy_path(address)] { return read_logo(path); }),
            [this, address](const QImage& image) { found(address, image); });
}

void LogoCache::found(const QString& address, const QImage& image) {
  running_.remove(address);
  const int kilobytes = static_cast<int>(std::min<qint64>(image.sizeInBytes() / 1024 + 1, kKnownKilobytes));
  known_.insert(address, new Known{image, QDateTime::currentSecsSinceEpoch() + kRetrySeconds}, kilobytes);
  Q_EMIT ready(address, image);
  start_waiting();
}
