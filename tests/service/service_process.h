#pragma once
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>

// quovi-service run as a child process on 127.0.0.1 with a free port of its own choosing; stopped
// with SIGTERM when the object goes.
class ServiceProcess {
 public:
  // Starts the service with --port 0 and the given options, in the given environment (the test's
  // own by default); waits until it listens.
  explicit ServiceProcess(const QStringList& options,
                          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
  ~ServiceProcess();

  bool listening() const { return !base_url_.isEmpty(); }
  QString base_url() const { return base_url_; }  // "http://127.0.0.1:PORT"
  int port() const { return port_; }
  qint64 pid() const { return process_.processId(); }
  bool running() const { return process_.state() == QProcess::Running; }
  // Stops the service and answers its exit code (-1 when it had to be killed or crashed).
  int stop();
  QString log();  // what it wrote to stderr so far

 private:
  QProcess process_;
  QString base_url_;
  int port_ = 0;
  QString log_;
};

// Bytes sent as they are to 127.0.0.1:port; answers what came back before the server closed the
// connection (or went quiet). Closing the write side at once makes a server that waits for more
// of a broken request give up quickly; a server may then also drop its reply.
std::string raw_exchange(int port, const std::string& bytes, bool close_write_side = true);

// The Content-Type header the service sends for a GET of `target` ("" when there is none).
std::string content_type_of(int port, const std::string& target);
