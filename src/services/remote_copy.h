#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

class HttpRequest;
struct IncomingCopy;

// A local copy of a file published at an address (a playlist, a programme guide), kept in a file
// of the user's and brought up to date with conditional requests: a server that answers "not
// modified" costs no transfer, and a failed refresh keeps the copy there was.

// What is known of a copy; kept beside it in "<copy>.source" as "key=value" lines.
struct RemoteCopyInfo {
  QString address;             // http or https
  QByteArray etag;             // the last reply's ETag, sent back as If-None-Match
  QByteArray last_modified;    // the last reply's Last-Modified, sent back as If-Modified-Since
  QDateTime checked_at;        // UTC: when the address last answered with the file or "not modified"
};

// The info kept beside `copy_path`; an empty record when there is none or it cannot be read.
RemoteCopyInfo read_remote_copy_info(const QString& copy_path);
// Writes the info beside `copy_path` whole or not at all; false when it cannot be written.
bool write_remote_copy_info(const QString& copy_path, const RemoteCopyInfo& info);
// A copy is due for a refresh once `max_age_seconds` have gone by since it was checked, when it
// never was, or when its clock reading lies in the future.
bool remote_copy_due(const RemoteCopyInfo& info, const QDateTime& now_utc, qint64 max_age_seconds);

struct RemoteCopyResult {
  enum class Outcome { Updated, NotModified, Failed, Cancelled };
  Outcome outcome = Outcome::Failed;
  QString error;  // Failed: why, fit for the user
};

// One refresh of a copy from its address, off the GUI thread. The body is written as it arrives
// to a new file beside the copy, so memory stays the same whatever its size; that file takes the
// copy's place only once the whole body came with a success status (never a half-written copy),
// then the info beside it is written. A failure, the size cap or a Cancel leaves the copy and its
// info as they were and no file behind; "not modified" only renews the info. Sends If-None-Match /
// If-Modified-Since when the copy and its info are there.
class RemoteCopyRefresh : public QObject {
  Q_OBJECT
 public:
  RemoteCopyRefresh(QString address, QString copy_path, qint64 max_bytes, QObject* parent = nullptr);
  ~RemoteCopyRefresh() override;

  // Gives up a transfer that has not ended after this many seconds (0, the default: only the stall
  // limits end it). Set before start().
  void set_timeout_seconds(long seconds) { timeout_seconds_ = seconds; }
  // Starts the transfer; only the first call counts. finished() always follows, also for an
  // address that is not http or https.
  void start();
  // Ends the refresh at once; finished() follows with Cancelled and the copy is left as it was
  // (unless the new copy was already in place, which finished() then says).
  void cancel();

  const QString& copy_path() const { return copy_path_; }

 Q_SIGNALS:
  // Bytes received so far and the size announced (0 when unknown).
  void progress(qint64 received, qint64 total);
  void finished(const RemoteCopyResult& result);

 private:
  void transfer_finished();
  // Ends the new file on a worker (put in place when `info` is given, else dropped), then finishes.
  void settle(RemoteCopyResult failure, std::optional<RemoteCopyInfo> info);
  void finish(RemoteCopyResult result);

  QString address_;
  QString copy_path_;
  qint64 max_bytes_;
  long timeout_seconds_ = 0;
  std::unique_ptr<HttpRequest> request_;
  std::shared_ptr<IncomingCopy> incoming_;  // shared with the transfer's thread until it ends
  std::shared_ptr<std::atomic<bool>> commit_cancelled_ = std::make_shared<std::atomic<bool>>(false);
  qint64 total_ = 0;
  bool started_ = false;
  bool cancelled_ = false;
  bool finished_ = false;
};
