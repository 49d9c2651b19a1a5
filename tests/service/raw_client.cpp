#include "raw_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {
int connect_to(int port, const char* from) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  if (from) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    if (::inet_pton(AF_INET, from, &local.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
      ::close(fd);
      return -1;
    }
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  return fd;
}

// Appends what can be read now; false once the connection ended.
bool read_into(int fd, std::string& out) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      out.append(buffer, static_cast<size_t>(n));
      continue;
    }
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
}
}  // namespace

RawConnection::RawConnection(int port, const char* from) : fd_(connect_to(port, from)) {}

RawConnection::~RawConnection() {
  if (fd_ >= 0) ::close(fd_);
}

bool RawConnection::send(const std::string& bytes) {
  size_t done = 0;
  while (fd_ >= 0 && done < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd_, POLLOUT, 0};
      if (::poll(&p, 1, 5000) > 0) continue;
    }
    return false;
  }
  return fd_ >= 0;
}

std::string RawConnection::receive(int milliseconds) {
  std::string out;
  if (fd_ < 0 || ended_) return out;
  pollfd p{fd_, POLLIN, 0};
  int wait = milliseconds;
  while (::poll(&p, 1, wait) > 0) {
    if (!read_into(fd_, out)) {
      ended_ = true;
      break;
    }
    wait = 100;
  }
  return out;
}

std::string exchange_while_sending(int port, const std::string& bytes, const char* from) {
  const int fd = connect_to(port, from);
  std::string reply;
  if (fd < 0) return reply;
  size_t sent = 0;
  bool sending = true;
  for (;;) {
    pollfd p{fd, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0};
    if (::poll(&p, 1, 2000) <= 0) break;
    if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
      if (!read_into(fd, reply)) break;
    }
    if (sending && (p.revents & POLLOUT)) {
      const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n > 0) sent += static_cast<size_t>(n);
      if ((n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) || sent == bytes.size()) sending = false;
    }
  }
  ::close(fd);
  return reply;
}

int status_of(const std::string& reply) {
  if (reply.rfind("HTTP/1.", 0) != 0 || reply.size() < 12) return 0;
  return std::atoi(reply.substr(9, 3).c_str());
}
