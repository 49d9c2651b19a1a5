#pragma once
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <utility>

// One HTTP GET, made once and thrown away. The transfer runs on a thread of its own so the window
// never waits for the network; its events arrive on the thread that owns this object, through the
// event loop. Redirects are followed, an error status after them fails the request, and only
// http and https are ever spoken.
class HttpRequest : public QObject {
  Q_OBJECT
 public:
  explicit HttpRequest(QObject* parent = nullptr);
  // Aborts a transfer still running and returns at once: the transfer's thread winds down on its
  // own, also when it is stuck in a name lookup, and is never waited for.
  ~HttpRequest() override;

  // "Quovi/" and the product version unless set otherwise before get().
  void set_user_agent(const QByteArray& user_agent);
  // Gives up a transfer that has not ended after this many seconds (0: never).
  void set_timeout_seconds(long seconds);
  // How long a transfer may take to reach its server (the name lookup included), and how slowly it
  // may go before it is given up: a server that accepts and then sends nothing, or its head and
  // then a byte now and then, would otherwise hold the transfer, and whatever waits for it, until
  // the user cancels. A transfer given up so ends with unreachable_text() or too_slow_text().
  struct StallLimits {
    long connect_seconds = 30;
    long low_speed_bytes = 1024;  // a second
    long low_speed_seconds = 30;
  };
  // The limits of every transfer started afterwards; tests shorten them to see a stall end in moments.
  static void set_stall_limits(const StallLimits& limits);
  static StallLimits stall_limits();
  // The largest body accepted; a reply that announces or delivers more ends the transfer with
  // too_large_text(), and nothing of it is kept. Set before get().
  void set_max_body_bytes(qint64 bytes);
  // Hands the body to `sink` as it arrives, on the transfer's thread, instead of keeping it here
  // (body() stays empty): a body of any size then costs only what the sink keeps. Only the last
  // reply's body reaches the sink (never a redirect's or an error page's). A sink that answers
  // false ends the transfer with sink_refused_text(). Set before get().
  using BodySink = std::function<bool(const char* data, size_t size)>;
  void set_body_sink(BodySink sink);
  // Sends a header line "Name: value" with the request, e.g. for a conditional GET. A line holding
  // a line break is refused (false), so nothing can be smuggled into the request. Set before get().
  bool add_header(const QByteArray& line);

  // Starts the transfer of an absolute URL, sent as it stands. Only the first call counts.
  void get(const QByteArray& url);
  // Ends the transfer at once, also while looking up the name, connecting or waiting for the reply;
  // finished() follows with an error. Safe to call at any time, also from a slot of work().
  void abort();

  bool running() const;
  bool aborted() const;
  // Valid after finished(): the body received (all of it, or what came before a failure) and the
  // error text, empty when the transfer succeeded. take_body() hands the body over without a copy
  // and leaves it empty here.
  QByteArray body() const { return QByteArray(body_.data(), static_cast<qsizetype>(body_.size())); }
  std::string take_body() { return std::exchange(body_, {}); }
  const QString& error() const { return error_; }
  // Valid after finished(): the reply was larger than set_max_body_bytes() allows.
  bool too_large() const { return too_large_; }
  // Valid after finished(): the status of the last reply (after redirects), 0 when none came.
  long status() const { return status_; }
  // Valid after finished(): the value of a header of the last reply, trimmed; empty when absent.
  // Names compare without regard to case.
  QByteArray reply_header(const QByteArray& name) const;

  static QByteArray default_user_agent();
  // Text of the error a transfer ends with after abort().
  static QString aborted_text();
  // Text of the error a transfer ends with when the body sink refused the bytes.
  static QString sink_refused_text();
  // Text of the error a transfer ends with when the reply is larger than `max_body_bytes`.
  static QString too_large_text(qint64 max_body_bytes);
  // Texts of the errors a transfer ends with past its StallLimits.
  static QString unreachable_text(long seconds);
  static QString too_slow_text(long bytes_per_second, long seconds);
  // No reply the program understands is larger: the catalogue reply counts its length in 31 bits.
  static constexpr qint64 kLargestBody = 0x7FFFFFFF;

 Q_SIGNALS:
  // Expected size of the body in bytes, or 0 when the reply does not announce it; once, before
  // the first work().
  void work_begin(qint64 total);
  // Number of body bytes received so far.
  void work(qint64 count);
  void finished();

 private:
  struct Transfer;
  void deliver_finish();

  std::shared_ptr<Transfer> transfer_;
  QByteArray user_agent_;
  QList<QByteArray> headers_;
  BodySink sink_;
  long timeout_seconds_ = 0;
  qint64 max_body_bytes_ = kLargestBody;
  bool started_ = false;
  bool running_ = false;
  bool too_large_ = false;
  std::string body_;
  QString error_;
  long status_ = 0;
  QList<QByteArray> reply_headers_;
};
