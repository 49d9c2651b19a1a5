#include "services/remote_copy.h"

#include "services/http_request.h"
#include "services/worker_thread.h"

#include <QFile>
#include <QFutureWatcher>
#include <QSaveFile>
#include <QUrl>

#include <atomic>
#include <memory>
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

QString cannot_write(const QString& path, const QString& why) { return QStringLiteral("Cannot write %1: %2").arg(path, why); }

// Puts the received file in place of the copy, or an empty copy for a reply without a body. Runs
// on a worker: committing flushes the whole file to the disk. Answers the error, empty when in
// place, nothing when cancelled before the copy was replaced.
std::optional<QString> put_in_place(QSaveFile* file, const QString& path, const std::atomic<bool>& cancelled) {
  std::unique_ptr<QSaveFile> empty;
  if (!file) {
    empty = std::make_unique<QSaveFile>(path);
    if (!empty->open(QIODevice::WriteOnly)) return cannot_write(path, empty->errorString());
    file = empty.get();
  }
  if (cancelled.load()) {
    file->cancelWriting();
    return std::nullopt;
  }
  if (!file->commit()) return cannot_write(path, file->errorString());
  return QString();
}
}  // namespace

// The new copy while its body arrives, written by the transfer's thread and then handed to a worker
// that puts it in place or drops it; one thread at a time. The file is opened with the first bytes,
// so a reply without a body never touches the folder.
struct IncomingCopy {
  explicit IncomingCopy(QString path) : path(std::move(path)) {}

  bool write(const char* data, size_t size) {
    if (!file) {
      file = std::make_unique<QSaveFile>(path);
      if (!file->open(QIODevice::WriteOnly)) return fail();
    }
    if (file->write(data, static_cast<qint64>(size)) != static_cast<qint64>(size)) return fail();
    return true;
  }

  bool fail() {
    error = cannot_write(path, file->errorString());
    file.reset();  // drops what was written
    return false;
  }

  const QString path;
  std::unique_ptr<QSaveFile> file;
  QString error;  // why the file could not be written
};

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
  request_->set_timeout_seconds(timeout_seconds_);
  incoming_ = std::make_shared<IncomingCopy>(copy_path_);
  request_->set_body_sink([incoming = incoming_](const char* data, size_t size) { return incoming->write(data, size); });
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
  commit_cancelled_->store(true);
  if (request_) request_->abort();
}

void RemoteCopyRefresh::transfer_finished() {
  using Outcome = RemoteCopyResult::Outcome;
  if (cancelled_) return settle({Outcome::Cancelled, {}}, std::nullopt);
  // A file that could not be written says more than the transfer it ended.
  if (!incoming_->error.isEmpty()) return settle({Outcome::Failed, incoming_->error}, std::nullopt);
  if (!request_->error().isEmpty()) return settle({Outcome::Failed, request_->error()}, std::nullopt);

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
      return settle({Outcome::Failed, QStringLiteral("Cannot write %1").arg(copy_path_ + ".source")}, std::nullopt);
    return settle({Outcome::NotModified, {}}, std::nullopt);
  }
  if (request_->status() < 200 || request_->status() >= 300)
    return settle({Outcome::Failed, QStringLiteral("The server answered %1").arg(request_->status())}, std::nullopt);
  settle({}, info);
}

void RemoteCopyRefresh::settle(RemoteCopyResult dropped, std::optional<RemoteCopyInfo> info) {
  using Outcome = RemoteCopyResult::Outcome;
  std::shared_ptr<QSaveFile> file;
  if (incoming_) file = std::move(incoming_->file);
  if (!file && !info) return finish(dropped);
  auto* watcher = new QFutureWatcher<std::optional<QString>>(this);
  connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, dropped, info] {
    watcher->deleteLater();
    if (!info) return finish(cancelled_ && dropped.outcome == Outcome::Failed ? RemoteCopyResult{Outcome::Cancelled, {}} : dropped);
    const std::optional<QString> error = watcher->result();
    // A Cancel that came after the new copy was in place is too late: the copy and its info agree.
    if (!error) return finish({Outcome::Cancelled, {}});
    if (!error->isEmpty()) return finish({Outcome::Failed, *error});
    if (!write_remote_copy_info(copy_path_, *info))
      return finish({Outcome::Failed, QStringLiteral("Cannot write %1").arg(copy_path_ + ".source")});
    finish({Outcome::Updated, {}});
  });
  // The file is let go before the worker answers, so the folder is settled when finished() comes.
  watcher->setFuture(run_on_worker([file, keep = info.has_value(), path = copy_path_, cancelled = commit_cancelled_]() mutable {
    std::optional<QString> error;
    if (keep) error = put_in_place(file.get(), path, *cancelled);
    file.reset();
    return error;
  }));
}

void RemoteCopyRefresh::finish(RemoteCopyResult result) {
  if (finished_) return;
  finished_ = true;
  Q_EMIT finished(result);
}
