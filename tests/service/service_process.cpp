#include "service_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QRegularExpression>
#include <csignal>

ServiceProcess::ServiceProcess(const QStringList& options, const QProcessEnvironment& environment) {
  process_.setProcessEnvironment(environment);
  process_.start(QStringLiteral(QUOVI_SERVICE_PROGRAM), QStringList{"--address", "127.0.0.1", "--port", "0"} + options);
  if (!process_.waitForStarted(10000)) return;
  QByteArray out;
  while (!out.contains('\n') && process_.waitForReadyRead(10000)) out += process_.readAllStandardOutput();
  const auto match = QRegularExpression("listening on (http://127\\.0\\.0\\.1:(\\d+))").match(QString::fromUtf8(out));
  if (!match.hasMatch()) return;
  base_url_ = match.captured(1);
  port_ = match.captured(2).toInt();
}

ServiceProcess::~ServiceProcess() { stop(); }

int ServiceProcess::stop() {
  if (process_.state() == QProcess::NotRunning)
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
  ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
  if (!process_.waitForFinished(10000)) {
    process_.kill();
    process_.waitForFinished(5000);
    return -1;
  }
  log_ += QString::fromUtf8(process_.readAllStandardError());
  return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QString ServiceProcess::log() {
  log_ += QString::fromUtf8(process_.readAllStandardError());
  return log_;
}

std::string raw_exchange(int port, const std::string& bytes, bool close_write_side) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return {};
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (close_write_side) ::shutdown(fd, SHUT_WR);
    // Waits for the first byte, then until the server has been silent for a moment.
    pollfd p{fd, POLLIN, 0};
    char buffer[4096];
    while (::poll(&p, 1, reply.empty() ? 5000 : 300) > 0) {
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      reply.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  return reply;
}

std::string content_type_of(int port, const std::string& target) {
  const std::string reply =
      raw_exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", false);
  const auto header_end = reply.find("\r\n\r\n");
  const std::string header = reply.substr(0, header_end);
  const auto match = QRegularExpression("\r\nContent-Type: ([^\r\n]*)", QRegularExpression::CaseInsensitiveOption)
                         .match(QString::fromStdString(header));
  return match.hasMatch() ? match.captured(1).toStdString() : std::string();
}
