#include "guarded_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
// The library accepts on its own thread and hands each connection to the task queue; the door
// takes it there at once, so nothing needs a thread of the library's.
class AtOnce final : public httplib::TaskQueue {
 public:
  void enqueue(std::function<void()> fn) override { fn(); }
  void shutdown() override {}
};

void address_of(int fd, bool peer, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  const int rc = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length)
                      : getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  if (rc != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    port = ntohs(v4->sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    port = ntohs(v6->sin6_port);
  }
  ip = text;
}

// One request the door has read whole, for the library to parse and answer: reads come from
// memory, writes go to the (non-blocking) socket.
class ArrivedStream final : public httplib::Stream {
 public:
  ArrivedStream(int fd, std::string_view request, std::chrono::milliseconds write_timeout)
      : fd_(fd), unread_(request), write_timeout_(write_timeout) {}

  bool is_readable() const override { return true; }
  bool is_writable() const override {
    pollfd p{fd_, POLLOUT, 0};
    return poll(&p, 1, static_cast<int>(write_timeout_.count())) > 0 && !(p.revents & (POLLERR | POLLHUP));
  }
  ssize_t read(char* ptr, size_t size) override {
    const size_t n = std::min(size, unread_.size());
    std::memcpy(ptr, unread_.data(), n);
    unread_.remove_prefix(n);
    return static_cast<ssize_t>(n);
  }
  ssize_t write(const char* ptr, size_t size) override {
    size_t done = 0;
    while (done < size) {
      const ssize_t n = send(fd_, ptr + done, size - done, MSG_NOSIGNAL);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!is_writable()) return -1;
      } else {
        return -1;
      }
    }
    return static_cast<ssize_t>(size);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override { address_of(fd_, true, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { address_of(fd_, false, ip, port); }
  socket_t socket() const override { return fd_; }

 private:
  const int fd_;
  std::string_view unread_;
  const std::chrono::milliseconds write_timeout_;
};
}  // namespace

GuardedServer::GuardedServer(const ServerLimits& limits, Log log)
    : limits_(limits),
      workers_(limits.workers, limits.queue, [this](ArrivedRequest&& r) { serve_request(std::move(r)); }),
      door_(limits.door, [this](ArrivedRequest& r) { return workers_.offer(r); }, std::move(log)) {
  new_task_queue = [] { return new AtOnce; };
  // Only for the Keep-Alive header the library writes; the door keeps the time itself.
  set_keep_alive_timeout(std::max<time_t>(1, std::chrono::duration_cast<std::chrono::seconds>(
                                                 limits.door.keep_alive_timeout).count()));
  set_keep_alive_max_count(limits.keep_alive_requests);
}

GuardedServer::~GuardedServer() {
  door_.stop();
  workers_.stop();
}

void GuardedServer::widen_backlog(int backlog) {
  // Listening again on a listening socket only changes the length of its queue.
  if (svr_sock_ != INVALID_SOCKET) ::listen(svr_sock_, backlog);
}

bool GuardedServer::serve() {
  const bool clean = listen_after_bind();
  door_.stop();
  workers_.stop();
  return clean;
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
  door_.admit(sock);
  return true;
}

void GuardedServer::serve_request(ArrivedRequest&& request) {
  ArrivedStream stream(request.fd, request.request, limits_.write_timeout);
  const bool last = static_cast<size_t>(request.served) + 1 >= limits_.keep_alive_requests;
  bool closed = false;
  const bool answered = process_request(stream, last, closed, nullptr);
  if (answered && !last && !closed)
    door_.resume(request.fd, std::move(request.rest), request.served + 1);
  else
    close(request.fd);
}
