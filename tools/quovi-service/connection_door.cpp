#include "connection_door.h"

#include "client_address.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace {
using Clock = std::chrono::steady_clock;

// A refused client gets this long to read its reply before the connection is closed under it.
// Nothing more is read from it meanwhile: a client sending without end is held up by its own full
// window, at no cost to the door.
constexpr auto kLingerTime = std::chrono::seconds(1);
// Refused connections beyond max_connections are closed at once past this many lingering.
constexpr size_t kMaxLingering = 256;
// Bytes read from one connection before the others get their turn.
constexpr size_t kReadSlice = 64 * 1024;
constexpr auto kSweepInterval = std::chrono::milliseconds(50);

void prepare_socket(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  // Replies go out in two writes (head, then body); without this the body waits for an ACK.
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

std::string seconds_text(std::chrono::milliseconds t) {
  const auto ms = t.count();
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}
}  // namespace

ConnectionDoor::ConnectionDoor(DoorSettings settings, Handoff handoff, Log log)
    : settings_(std::move(settings)), handoff_(std::move(handoff)), log_(std::move(log)) {
  epoll_ = epoll_create1(EPOLL_CLOEXEC);
  wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (epoll_ < 0 || wake_ < 0) throw std::runtime_error("cannot set up the connection door");
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = wake_;
  epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event);
  thread_ = std::thread([this] { run(); });
}

ConnectionDoor::~ConnectionDoor() {
  stop();
  close(wake_);
  close(epoll_);
}

void ConnectionDoor::admit(int fd) {
  {
    std::lock_guard lock(mutex_);
    if (!stopping_) {
      incoming_.push_back({fd, {}, 0, true});
      fd = -1;
    }
  }
  if (fd >= 0)
    close(fd);
  else
    wake();
}

void ConnectionDoor::resume(int fd, std::string rest, int served) {
  {
    std::lock_guard lock(mutex_);
    if (!stopping_) {
      incoming_.push_back({fd, std::move(rest), served, false});
      fd = -1;
    }
  }
  if (fd >= 0)
    close(fd);
  else
    wake();
}

void ConnectionDoor::stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  wake();
  if (thread_.joinable()) thread_.join();
}

void ConnectionDoor::wake() {
  const uint64_t one = 1;
  [[maybe_unused]] const auto ignored = write(wake_, &one, sizeof one);
}

void ConnectionDoor::run() {
  epoll_event events[64];
  auto next_sweep = Clock::now() + kSweepInterval;
  for (;;) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next_sweep - Clock::now()).count();
    const int n = epoll_wait(epoll_, events, 64, static_cast<int>(std::max<int64_t>(0, wait)));
    for (int i = 0; i < n; ++i) {
      const int fd = events[i].data.fd;
      if (fd == wake_) {
        uint64_t count;
        [[maybe_unused]] const auto ignored = read(wake_, &count, sizeof count);
        continue;
      }
      on_readable(fd);
    }
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
    }
    take_incoming();
    if (Clock::now() >= next_sweep) {
      sweep();
      next_sweep = Clock::now() + kSweepInterval;
    }
  }
  std::vector<Incoming> left;
  {
    std::lock_guard lock(mutex_);
    left.swap(incoming_);
  }
  for (const auto& i : left) close(i.fd);
  for (const auto& [fd, _] : connections_) close(fd);
  connections_.clear();
}

void ConnectionDoor::take_incoming() {
  std::vector<Incoming> arrived;
  {
    std::lock_guard lock(mutex_);
    arrived.swap(incoming_);
  }
  for (auto& i : arrived) enter(std::move(i));
}

void ConnectionDoor::enter(Incoming&& incoming) {
  const int fd = incoming.fd;
  if (incoming.fresh) prepare_socket(fd);
  const auto now = Clock::now();
  Connection c;
  c.served = incoming.served;
  c.buffer = std::move(incoming.rest);
  c.client = client_of_socket(fd);
  const bool waiting_for_next = !incoming.fresh && c.buffer.empty();
  c.phase = waiting_for_next ? Phase::idle : Phase::reading;
  c.deadline = now + (waiting_for_next ? settings_.keep_alive_timeout : settings_.read_timeout);
  epoll_event event{};
  event.events = EPOLLIN | EPOLLRDHUP;
  event.data.fd = fd;
  if (epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) {
    close(fd);
    return;
  }
  Connection& placed = connections_[fd] = std::move(c);
  const auto counted = per_client_.find(placed.client);
  const bool client_full = settings_.max_connections_per_client > 0 && counted != per_client_.end() &&
                           counted->second >= settings_.max_connections_per_client;
  if (incoming.fresh && (client_full || connections_.size() - lingering_ > settings_.max_connections)) {
    if (lingering_ >= kMaxLingering) {
      close_connection(fd);
      return;
    }
    refuse(fd, placed, 503,
           client_full ? "too many connections from your address are open; try again"
                       : "the service has too many open connections; try again");
    return;
  }
  // A kept-alive connection may be closed between requests: one whose client holds its share of
  // the door already is, unless it has sent its next request.
  if (client_full && waiting_for_next) {
    close_connection(fd);
    return;
  }
  ++per_client_[placed.client];
  placed.counted = true;
  if (!placed.buffer.empty()) examine(fd, placed);
}

void ConnectionDoor::on_readable(int fd) {
  const auto it = connections_.find(fd);
  if (it == connections_.end()) return;
  Connection& c = it->second;
  // A refused connection is woken only when the client has gone (both sides shut, or a reset).
  if (c.phase == Phase::lingering) {
    close_connection(fd);
    return;
  }
  char chunk[16 * 1024];
  size_t taken = 0;
  while (taken < kReadSlice) {
    const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) break;
    if (n <= 0) {
      // The client is gone (or ended its side mid-request): nobody is left to answer.
      close_connection(fd);
      return;
    }
    taken += static_cast<size_t>(n);
    if (c.phase == Phase::idle) {
      c.phase = Phase::reading;
      c.deadline = Clock::now() + settings_.read_timeout;
    }
    c.buffer.append(chunk, static_cast<size_t>(n));
    examine(fd, c);
    // Handed over, refused, or closed: either way no longer reading for a request.
    const auto again = connections_.find(fd);
    if (again == connections_.end() || again->second.phase != Phase::reading) return;
  }
}

void ConnectionDoor::examine(int fd, Connection& c) {
  const HeadScan scan = scan_request_head(c.buffer, settings_.limits);
  if (scan.state == HeadScan::State::refused) {
    refuse(fd, c, scan.status, scan.reason);
    return;
  }
  if (scan.state == HeadScan::State::incomplete) return;
  const size_t whole = scan.head_bytes + scan.body_bytes;
  if (c.buffer.size() < whole) return;

  ArrivedRequest request{fd, c.buffer.substr(0, whole), c.buffer.substr(whole), c.served};
  // Off the door before a worker may see it: the worker may close the socket, and a new
  // connection may then be given the same number.
  epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
  if (handoff_(request)) {
    uncount(c);
    connections_.erase(fd);
    return;
  }
  epoll_event event{};
  event.events = EPOLLIN | EPOLLRDHUP;
  event.data.fd = fd;
  epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
  refuse(fd, c, 503, "the service is busy; try again");
}

void ConnectionDoor::refuse(int fd, Connection& c, int status, const std::string& reason) {
  if (log_) log_(std::to_string(status) + " at the door - " + reason);
  const std::string reply = refusal_reply(status, reason);
  // A short reply into an empty send buffer: it fits.
  [[maybe_unused]] const auto sent = send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
  shutdown(fd, SHUT_WR);
  epoll_event event{};
  event.events = 0;  // hang-ups and errors only
  event.data.fd = fd;
  epoll_ctl(epoll_, EPOLL_CTL_MOD, fd, &event);
  c.phase = Phase::lingering;
  c.buffer = std::string();
  c.deadline = Clock::now() + kLingerTime;
  ++lingering_;
  uncount(c);
}

void ConnectionDoor::sweep() {
  const auto now = Clock::now();
  std::vector<int> due;
  for (const auto& [fd, c] : connections_)
    if (now >= c.deadline) due.push_back(fd);
  for (const int fd : due) {
    Connection& c = connections_.at(fd);
    if (c.phase == Phase::reading)
      refuse(fd, c, 408, "the request did not arrive whole within " + seconds_text(settings_.read_timeout));
    else
      close_connection(fd);
  }
}

void ConnectionDoor::close_connection(int fd) {
  const auto it = connections_.find(fd);
  if (it != connections_.end()) {
    if (it->second.phase == Phase::lingering) --lingering_;
    uncount(it->second);
    connections_.erase(it);
  }
  epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
  close(fd);
}

void ConnectionDoor::uncount(Connection& c) {
  if (!c.counted) return;
  c.counted = false;
  const auto it = per_client_.find(c.client);
  if (--it->second == 0) per_client_.erase(it);
}
