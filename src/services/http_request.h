#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <thread>

// One HTTP GET, made once and thrown away. The transfer runs on a thread of its own so the window
// never waits for the network; its events arrive on the thread that owns this object, through the
// event loop. Redirects are followed, an error status after them fails the request, and only
// http and https are ever spoken.
class HttpRequest : public QObject {
  Q_OBJECT
 public:
  explicit HttpRequest(QObject* parent = nullptr);
  // Aborts a transfer still running and waits for its thread, which ends within milliseconds.
  ~HttpRequest() override;

  // "Quovi/" and the product version unless set otherwise before get().
  void set_user_agent(const QByteArray& user_agent);
  // Gives up a transfer that has not ended after this many seconds (0: never).
  void set_timeout_seconds(long seconds);

  // Starts the transfer of an absolute URL, sent as it stands. Only the first call counts.
  void get(const QByteArray& url);
  // Ends the transfer at once, also while connecting or waiting for the reply; finished() follows
  // with an error. Safe to call at any time, also from a slot of work().
  void abort();

  bool running() const;
  bool aborted() const;
  // Valid after finished(): the body received (all of it, or what came before a failure) and the
  // error text, empty when the transfer succeeded.
  const QByteArray& body() const { return body_; }
  const QString& error() const { return error_; }

  static QByteArray default_user_agent();
  // Text of the error a transfer ends with after abort().
  static QString aborted_text();

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
  std::thread worker_;
  QByteArray user_agent_;
  long timeout_seconds_ = 0;
  bool started_ = false;
  bool running_ = false;
  QByteArray body_;
  QString error_;
};
