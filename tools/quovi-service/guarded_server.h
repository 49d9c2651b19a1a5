#pragma once
#include "connection_door.h"
#include "request_workers.h"

#include <httplib.h>

#include <chrono>
#include <functional>
#include <string>

struct ServerLimits {
  DoorSettings door;
  size_t workers = 8;
  size_t queue = 64;
  std::chrono::seconds write_timeout{5};  // a client that takes nothing for this long is dropped
  size_t keep_alive_requests = 100;       // requests on one connection before it is closed
};

// The HTTP library's server with its connections held at a door of our own: the library accepts
// connections and turns complete requests into replies, while reading requests, their limits and
// time, and the number of requests served at once are ours. The library has a read timeout per
// read only (so a client sending a byte now and then keeps a worker forever), no bound on the
// number or size of header lines and an unbounded queue in front of its threads.
class GuardedServer : public httplib::Server {
 public:
  using Log = std::function<void(const std::string&)>;

  GuardedServer(const ServerLimits& limits, Log log);
  ~GuardedServer() override;

  // After bind_to_port or bind_to_any_port: a listen queue as deep as the door is wide (the
  // library asks for five).
  void widen_backlog(int backlog);
  // Serves until stop() is called; then finishes the requests already taken, closes every other
  // connection and answers whether listening ended cleanly.
  bool serve();

 private:
  bool process_and_close_socket(socket_t sock) override;
  void serve_request(ArrivedRequest&& request);

  const ServerLimits limits_;
  RequestWorkers workers_;
  ConnectionDoor door_;
};
