#pragma once
#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

// An HTTP server on 127.0.0.1 with scripted replies that records every request it receives.
class TestServer {
 public:
  struct Received {
    std::string path;    // decoded path
    std::string target;  // path and query exactly as sent
    std::string user_agent;
    std::string if_none_match;
    std::string if_modified_since;
  };

  TestServer();
  ~TestServer();

  QString base() const;  // "http://127.0.0.1:<port>"
  int port() const { return port_; }

  // Replies to GETs of `path` (query ignored); paths without a script get 404.
  void reply(const std::string& path, int status, const QByteArray& body);
  // The same without announcing the size: the body goes out in chunks.
  void reply_chunked(const std::string& path, const QByteArray& body);
  // Replies with `size` bytes made as they are sent (generated_bytes()), in chunks without announcing
  // the size: a body of any size costs the server nothing to hold.
  void reply_generated(const std::string& path, size_t size);
  void redirect(const std::string& path, const std::string& location);
  // Replies with `body`, its ETag and Last-Modified, as a static file server does; a request that
  // sends either of them back gets 304 with no body.
  void reply_with_validators(const std::string& path, const QByteArray& body, const std::string& etag,
                             const std::string& last_modified);
  // Accepts the request and sends nothing until the server goes away.
  void stall(const std::string& path);
  // Announces `body` in full, sends `first` bytes of it, then stalls.
  void stall_after(const std::string& path, const QByteArray& body, size_t first);
  // Announces `size` bytes and sends one of them every `interval` until the server goes away.
  void trickle(const std::string& path, size_t size, std::chrono::milliseconds interval);

  std::vector<Received> received() const;
  // Runs the Qt event loop until `count` requests were received or the time is up.
  bool wait_for_requests(size_t count, int milliseconds = 5000) const;
  // Holds until a stalled handler is waiting, so a test knows the request is in.
  bool wait_for_stalled(int milliseconds = 5000) const;

 private:
  void handle(const httplib::Request& request, httplib::Response& response);
  void hold();

  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::map<std::string, std::function<void(const httplib::Request&, httplib::Response&)>> scripts_;
  std::vector<Received> received_;
  bool releasing_ = false;
  int stalled_ = 0;
};

// The bytes reply_generated() sends from `offset` on: each depends on its place, so a piece lost,
// repeated or moved shows.
QByteArray generated_bytes(size_t offset, size_t size);

// A catalogue reply body: the 6-byte header (code, total length) in front of the payload.
QByteArray catalogue_reply(uint16_t code, const QByteArray& payload);

// Runs the Qt event loop until `done` answers true or the time is up; answers `done`'s last word.
bool wait_until(const std::function<bool()>& done, int milliseconds = 5000);
