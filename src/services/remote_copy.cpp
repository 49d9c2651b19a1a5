#include "services/remote_copy.h"

#include "services/http_request.h"
#include "services/worker_thread.h"

#include <QFile>
#include <QFutureWatcher>
#include <QSaveFile>
#include <QUrl>

#include <atomic>
#include <optional>

namespace {
// The info file holds a few short lines; anything larger is not ours.
constexpr qint64 kMaxInfoBytes = 16 * 1024;
// A validator is sent back as a header line: keep it short and on one line.
constexpr qsizetype kMaxValidatorBytes = 1024;

QString info_path(const QString& copy_path) { return copy_path + QStringLiteral(".source"); }

QByteArray one_line(const QByteArray& value) {
  if (value.size() > kMaxValidatorBytes || value.contains('\n') || value.contains('\r') || value.contains('\0'))
    return {};
  return value;
}

bool is_web_address(const QString& address) {
  const QUrl url(address, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  return url.isValid() && !url.host().isEmpty() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// Writes the body whole, or leaves the copy as it was. Runs on a worker: a guide can be tens of
// megabytes. Answers the error, empty when written, nothing when cancelled before the copy was
// replaced.
std::optional<QString> write_copy(const QString& path, const std::string& body, const std::atomic<bool>& cancelled) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
  if (file.write(body.data(), static_cast<qint64>(body.size())) != static_cast<qint64>(body.size())) {
    const QString error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
    file.cancelWriting();
    return error;
  }
  if (cancelled.load()) {
    file.cancelWriting();
    return std::nullopt;
  }
  if (!file.commit()) return QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
  return QString();
}
}  // namespace

RemoteCopyInfo read_remote_copy_info(const QString& copy_path) {
  QFile file(info_path(copy_path));
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxInfoBytes) return {};
  RemoteCopyInfo info;
  for (const QByteArray& raw : file.readAll().split('\n')) {
    const qsizetype eq = raw.indexOf('=');
    if (eq <= 0) continue;
    const QByteArray key = raw.left(eq);
    const QByteArray value = raw.mid(eq + 1).trimmed();
    if (key == "address") info.address = QString::fromUtf8(value);
    else if (key == "etag") info.etag = one_line(value);
    else if (key == "last_modified") info.last_modified = one_line(value);
    else if (key == "checked_at") info.checked_at = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODate);
  }
  if (info.checked_at.isValid()) info.checked_at = info.checked_at.toUTC();
  return info;
}

bool write_remote_copy_info(const QString& copy_path, const RemoteCopyInfo& info) {
  QByteArray text;
  text += "address=" + info.address.toUtf8().replace('\n', "").replace('\r', "") + '\n';
  text += "etag=" + one_line(info.etag) + '\n';
  text += "last_modified=" + one_line(info.last_modified) + '\n';
  if (info.checked_at.isValid()) text += "checked_at=" + info.checked_at.toUTC().toString(Qt::ISODate).toLatin1() + '\n';
  QSaveFile file(info_path(copy_path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(text);
  return file.commit();
}

bool remote_copy_due(const RemoteCopyInfo& info, const QDateTime& now_utc, qint64 max_age_seconds) {
  if (!info.checked_at.isValid()) return true;
  const qint64 age = info.checked_at.secsTo(now_utc);
  return age < 0 || age >= max_age_seconds;
}

RemoteCopyRefresh::RemoteCopyRefresh(QString address, QString copy_path, qint64 max_bytes, QObject* parent)
    : QObject(parent), address_(std::move(address)), copy_path_(std::move(copy_path)), max_bytes_(max_bytes) {}

RemoteCopyRefresh::~RemoteCopyRefresh() = default;

void RemoteCopyRefresh::start() {
  if (started_) return;
  started_ = true;
  if (!is_web_address(address_)) {
    // Said after start() returns, as for every other outcome.
    QMetaObject::invokeMethod(
        this, [this] { finish({RemoteCopyResult::Outcome::Failed, QStringLiteral("Only http and https addresses can be read: %1").arg(address_)}); },
        Qt::QueuedConnection);
    return;
  }
  request_ = std::make_unique<HttpRequest>();
  request_->set_max_body_bytes(max_bytes_);
  const RemoteCopyInfo info = read_remote_copy_info(copy_path_);
  if (info.address == address_ && QFile::exists(copy_path_)) {
    if (!info.etag.isEmpty()) request_->add_header("If-None-Match: " + info.etag);
    if (!info.last_modified.isEmpty()) request_->add_header("If-Modified-Since: " + info.last_modified);
  }
  connect(request_.get(), &HttpRequest::work_begin, this, [this](qint64 total) {
    total_ = total;
    Q_EMIT progress(0, total_);
  });
  connect(request_.get(), &HttpRequest::work, this, [this](qint64 count) { Q_EMIT progress(count, total_); });
  connect(request_.get(), &HttpRequest::finished, this, &RemoteCopyRefresh::transfer_finished);
  request_->get(address_.toUtf8());
}

void RemoteCopyRefresh::cancel() {
  if (finished_ || cancelled_) return;
  cancelled_ = true;
  if (request_) request_->abort();
  if (writing_) writing_->store(true);
}

void RemoteCopyRefresh::transfer_finished() {
  if (cancelled_) return finish({RemoteCopyResult::Outcome::Cancelled, {}});
  if (!request_->error().isEmpty()) return finish({RemoteCopyResult::Outcome::Failed, request_->error()});

  RemoteCopyInfo info;
  info.address = address_;
  info.etag = one_line(request_->reply_header("ETag"));
  info.last_modified = one_line(request_->reply_header("Last-Modified"));
  info.checked_at = QDateTime::currentDateTimeUtc();

  if (request_->status() == 304) {
    // Not modified: the copy stands; keep the validators it was fetched with where the reply
    // repeats none.
    const RemoteCopyInfo before = read_remote_copy_info(copy_path_);
    if (info.etag.isEmpty()) info.etag = before.etag;
    if (info.last_modified.isEmpty()) info.last_modified = before.last_modified;
    if (!write_remote_copy_info(copy_path_, info))
      return finish({RemoteCopyResult::Outcome::Failed, QStringLiteral("Cannot write %1").arg(copy_path_ + ".source")});
    return finish({RemoteCopyResult::Outcome::NotModified, {}});
  }
  if (request_->status() < 200 || request_->status() >= 300)
    return finish({RemoteCopyResult::Outcome::Failed, QStringLiteral("The server answered %1").arg(request_->status())});

  writing_ = std::make_shared<std::atomic<bool>>(false);
  auto* watcher = new QFutureWatcher<std::optional<QString>>(this);
  connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, info] {
    watcher->deleteLater();
    const std::optional<QString> error = watcher->result();
    // A Cancel that came after the new copy was in place is too late: the copy and its info agree.
    if (!error) return finish({RemoteCopyResult::Outcome::Cancelled, {}});
    if (!error->isEmpty()) return finish({RemoteCopyResult::Outcome::Failed, *error});
    if (!write_remote_copy_info(copy_path_, info))
      return finish({RemoteCopyResult::Outcome::Failed, QStringLiteral("Cannot write %1").arg(copy_path_ + ".source")});
    finish({RemoteCopyResult::Outcome::Updated, {}});
  });
  watcher->setFuture(run_on_worker(
      [path = copy_path_, body = request_->take_body(), cancelled = writing_]() { return write_copy(path, body, *cancelled); }));
}

void RemoteCopyRefresh::finish(RemoteCopyResult result) {
  if (finished_) return;
  finished_ = true;
  Q_EMIT finished(result);
}
