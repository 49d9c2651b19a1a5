#pragma once
#include "request_head.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

struct DoorSettings {
  RequestLimits limits;
  // From a connection's opening (or the first byte after a kept-alive reply) until its whole
  // request, body included, has arrived; later: 408.
  std::chrono::milliseconds read_timeout{10000};
  // How long a kept-alive connection may sit without starting its next request; then it is closed.
  std::chrono::milliseconds keep_alive_timeout{5000};
  // Connections waiting at the door; one more is answered 503.
  size_t max_connections = 512;
  // Connections waiting at the door from one client (see client_of); one more is answered 503, so
  // that no client can take the door from the others. 0: no bound per client (behind a proxy,
  // where every connection comes from the proxy).
  size_t max_connections_per_client = 32;
};

// A request that arrived whole on a connection, ready for a worker.
struct ArrivedRequest {
  int fd = -1;
  std::string request;  // head and body
  std::string rest;     // what followed it on the connection (a pipelined next request)
  int served = 0;       // requests answered on the connection before this one
};

// Every connection waits here, on one thread, until its request has arrived whole; only then does
// it take a worker. A client that sends slowly, or sends without end, holds no worker: it is
// refused when it crosses a limit of the request (400, 411, 413, 414, 431) or runs out of time
// (408), and a connection beyond max_connections or max_connections_per_client, or one whose
// request finds the workers' queue full, is answered 503. A refused connection stays open a
// moment, unread, before it is closed, so that the client reads the reply instead of a reset.
class ConnectionDoor {
 public:
  // Answers whether a worker took the request; on false the door answers 503 itself.
  using Handoff = std::function<bool(ArrivedRequest&)>;
  using Log = std::function<void(const std::string&)>;

  ConnectionDoor(DoorSettings settings, Handoff handoff, Log log);
  ~ConnectionDoor();
  ConnectionDoor(const ConnectionDoor&) = delete;
  ConnectionDoor& operator=(const ConnectionDoor&) = delete;

  // A freshly accepted connection; the door owns it from now on. Any thread.
  void admit(int fd);
  // A connection whose reply was sent and which stays open for its next request. Any thread.
  void resume(int fd, std::string rest, int served);
  // Closes every connection at the door; later ones are closed as they come.
  void stop();

 private:
  enum class Phase { reading, idle, lingering };
  struct Connection {
    std::string buffer;
    Phase phase = Phase::reading;
    std::chrono::steady_clock::time_point deadline;
    int served = 0;
    std::string client;    // client_of its peer
    bool counted = false;  // in its client's count: reading or idle at the door
  };
  struct Incoming {
    int fd;
    std::string rest;
    int served;
    bool fresh;
  };

  void run();
  void take_incoming();
  void enter(Incoming&& incoming);
  void on_readable(int fd);
  void examine(int fd, Connection& c);
  void refuse(int fd, Connection& c, int status, const std::string& reason);
  void sweep();
  void close_connection(int fd);
  void uncount(Connection& c);
  void wake();

  const DoorSettings settings_;
  const Handoff handoff_;
  const Log log_;
  int epoll_ = -1;
  int wake_ = -1;
  std::unordered_map<int, Connection> connections_;  // the door thread's own
  size_t lingering_ = 0;
  std::unordered_map<std::string, size_t> per_client_;  // counted connections by client

  std::mutex mutex_;
  std::vector<Incoming> incoming_;
  bool stopping_ = false;
  std::thread thread_;
};
