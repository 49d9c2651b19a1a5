#pragma once
// A listening socket on 127.0.0.1 at a free port for the small servers of the tests and benchmarks:
// a thread accepts connections and hands each to a thread of its own. The destructor stops
// accepting and waits until every connection's handler has returned, so a server that keeps its
// listener as its last member may let handlers use everything declared before it. Header-only so
// the benchmarks can use it too.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace quovi_test {

class LoopbackListener {
 public:
  // handler: serves one connection and closes its socket. admit: asked for every connection before
  // it is handed on; one it refuses is closed at once.
  explicit LoopbackListener(std::function<void(int client)> handler, std::function<bool()> admit = {})
      : handler_(std::move(handler)), admit_(std::move(admit)) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(fd_, 16);
    socklen_t len = sizeof addr;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { run(); });
  }
  ~LoopbackListener() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
  }
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  int port() const { return port_; }

 private:
  void run() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      if (admit_ && !admit_()) {
        ::close(client);
        continue;
      }
      ++active_;
      std::thread([this, client] {
        handler_(client);
        --active_;
      }).detach();
    }
    while (active_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  std::function<void(int)> handler_;
  std::function<bool()> admit_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> active_{0};
  std::thread thread_;  // last: starts once everything above exists
};

// What a client sends up to the blank line that ends the request's head (64 KiB at most); less
// when the client goes quiet for two seconds or closes.
inline std::string read_request_head(int client) {
  std::string request;
  char buf[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    pollfd p{client, POLLIN, 0};
    if (::poll(&p, 1, 2000) <= 0) break;
    const ssize_t n = ::recv(client, buf, sizeof buf, 0);
    if (n <= 0) break;
    request.append(buf, static_cast<size_t>(n));
  }
  return request;
}

// False when the client has gone before all of it was sent.
inline bool send_all(int client, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(client, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace quovi_test
