#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests and benchmarks: serves fixed bodies by path,
// answers 404 to anything else. Header-only so the video tests and the benchmarks can share it.
#include "../support/loopback_listener.h"

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quovi_test {

class LocalHttpServer {
 public:
  LocalHttpServer() : listener_([this](int client) { answer(client); }) {}
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  int port() const { return listener_.port(); }
  QString url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(listener_.port()).arg(path);
  }
  // status: the reply's status code and reason phrase, as a server may word them.
  void serve(const std::string& path, const QByteArray& body, const std::string& type,
             const std::string& status = "200 OK") {
    std::lock_guard lock(mutex_);
    bodies_[path] = {body, type, status, {}};
  }
  // Answers `path` with 302 Found to `location`, which may be on another host.
  void redirect(const std::string& path, const std::string& location) {
    std::lock_guard lock(mutex_);
    bodies_[path] = {{}, "text/plain", "302 Found", location};
  }
  int requests() const { return requests_; }
  // The head (request line and header lines) of every request received, in order.
  std::vector<std::string> heads() const {
    std::lock_guard lock(mutex_);
    return heads_;
  }

  // A port on 127.0.0.1 where nothing listens: bound for a moment, then given back.
  static int refused_port() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
  }

 private:
  struct Body {
    QByteArray bytes;
    std::string type;
    std::string status;
    std::string location;
  };

  void answer(int client) {
    ++requests_;
    const std::string request = read_request_head(client);
    const size_t first_space = request.find(' ');
    const size_t second_space = request.find(' ', first_space + 1);
    std::string path = first_space == std::string::npos || second_space == std::string::npos
                           ? std::string()
                           : request.substr(first_space + 1, second_space - first_space - 1);
    Body body;
    bool found = false;
    {
      std::lock_guard lock(mutex_);
      heads_.push_back(request.substr(0, request.find("\r\n\r\n")));
      if (auto it = bodies_.find(path); it != bodies_.end()) {
        body = it->second;
        found = true;
      }
    }
    std::string head;
    if (found) {
      head = "HTTP/1.1 " + body.status + (body.location.empty() ? "" : "\r\nLocation: " + body.location) +
             "\r\nContent-Type: " + body.type +
             "\r\nContent-Length: " + std::to_string(body.bytes.size()) + "\r\nConnection: close\r\n\r\n";
    } else {
      body.bytes = "not here";
      head = "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 8\r\nConnection: close\r\n\r\n";
    }
    std::string reply = head;
    if (request.rfind("HEAD ", 0) != 0) reply.append(body.bytes.constData(), static_cast<size_t>(body.bytes.size()));
    send_all(client, reply.data(), reply.size());
    ::shutdown(client, SHUT_WR);
    // Wait for the client to close so the last bytes are not cut off by a reset.
    char buf[4096];
    pollfd p{client, POLLIN, 0};
    for (int i = 0; i < 40 && ::poll(&p, 1, 50) >= 0; ++i) {
      if ((p.revents & POLLIN) && ::recv(client, buf, sizeof buf, 0) <= 0) break;
    }
    ::close(client);
  }

  std::atomic<int> requests_{0};
  mutable std::mutex mutex_;
  std::map<std::string, Body> bodies_;
  std::vector<std::string> heads_;
  LoopbackListener listener_;  // last: its connections use everything above
};

}  // namespace quovi_test
