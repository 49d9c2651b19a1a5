#include "test_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <httplib.h>

TestServer::TestServer() : server_(std::make_unique<httplib::Server>()) {
  server_->Get(".*", [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); });
  port_ = server_->bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
}

TestServer::~TestServer() {
  {
    std::lock_guard lock(mutex_);
    releasing_ = true;
  }
  changed_.notify_all();
  server_->stop();
  thread_.join();
}

QString TestServer::base() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }

void TestServer::reply(const std::string& path, int status, const QByteArray& body) {
  std::lock_guard lock(mutex_);
  scripts_[path] = [status, body](const httplib::Request&, httplib::Response& res) {
    res.status = status;
    res.set_content(body.toStdString(), "application/octet-stream");
  };
}

void TestServer::reply_chunked(const std::string& path, const QByteArray& body) {
  std::lock_guard lock(mutex_);
  scripts_[path] = [body](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("application/octet-stream", [body](size_t offset, httplib::DataSink& sink) {
      const size_t left = static_cast<size_t>(body.size()) - offset;
      if (left == 0) {
        sink.done();
        return true;
      }
      return sink.write(body.constData() + offset, std::min<size_t>(left, 4096));
    });
  };
}

void TestServer::reply_generated(const std::string& path, size_t size) {
  std::lock_guard lock(mutex_);
  scripts_[path] = [size](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("application/octet-stream", [size](size_t offset, httplib::DataSink& sink) {
      if (offset == size) {
        sink.done();
        return true;
      }
      const QByteArray piece = generated_bytes(offset, std::min<size_t>(size - offset, 64 * 1024));
      return sink.write(piece.constData(), static_cast<size_t>(piece.size()));
    });
  };
}

void TestServer::redirect(const std::string& path, const std::string& location) {
  std::lock_guard lock(mutex_);
  scripts_[path] = [location](const httplib::Request&, httplib::Response& res) { res.set_redirect(location, 302); };
}

void TestServer::reply_with_validators(const std::string& path, const QByteArray& body, const std::string& etag,
                                       const std::string& last_modified) {
  std::lock_guard lock(mutex_);
  scripts_[path] = [body, etag, last_modified](const httplib::Request& req, httplib::Response& res) {
    res.set_header("ETag", etag);
    res.set_header("Last-Modified", last_modified);
    const auto sent_back = [&req](const char* header, const std::string& value) {
      return !value.empty() && req.get_header_value(header) == value;
    };
    if (sent_back("If-None-Match", etag) || sent_back("If-Modified-Since", last_modified)) {
      res.status = 304;
      return;
    }
    res.set_content(body.toStdString(), "application/octet-stream");
  };
}

void TestServer::stall(const std::string& path) {
  std::lock_guard lock(mutex_);
  scripts_[path] = [this](const httplib::Request&, httplib::Response& res) {
    hold();
    res.status = 503;
  };
}

void TestServer::stall_after(const std::string& path, const QByteArray& body, size_t first) {
  std::lock_guard lock(mutex_);
  scripts_[path] = [this, body, first](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(static_cast<size_t>(body.size()), "application/octet-stream",
                             [this, body, first](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset < first) return sink.write(body.constData() + offset, first - offset);
                               hold();
                               return false;
                             });
  };
}

void TestServer::trickle(const std::string& path, size_t size, std::chrono::milliseconds interval) {
  std::lock_guard lock(mutex_);
  scripts_[path] = [this, size, interval](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(size, "application/octet-stream", [this, interval](size_t, size_t, httplib::DataSink& sink) {
      {
        std::unique_lock lock(mutex_);
        if (changed_.wait_for(lock, interval, [this] { return releasing_; })) return false;
      }
      return sink.write("t", 1);
    });
  };
}

void TestServer::hold() {
  std::unique_lock lock(mutex_);
  ++stalled_;
  changed_.notify_all();
  changed_.wait_for(lock, std::chrono::seconds(20), [this] { return releasing_; });
}

void TestServer::handle(const httplib::Request& req, httplib::Response& res) {
  std::function<void(const httplib::Request&, httplib::Response&)> script;
  {
    std::lock_guard lock(mutex_);
    received_.push_back({req.path, req.target, req.get_header_value("User-Agent"),
                         req.get_header_value("If-None-Match"), req.get_header_value("If-Modified-Since")});
    const auto it = scripts_.find(req.path);
    if (it != scripts_.end()) script = it->second;
  }
  changed_.notify_all();
  if (script) script(req, res);
  else res.status = 404;
}

std::vector<TestServer::Received> TestServer::received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

bool TestServer::wait_for_requests(size_t count, int milliseconds) const {
  QDeadlineTimer deadline(milliseconds);
  while (!deadline.hasExpired()) {
    {
      std::lock_guard lock(mutex_);
      if (received_.size() >= count) return true;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  std::lock_guard lock(mutex_);
  return received_.size() >= count;
}

bool TestServer::wait_for_stalled(int milliseconds) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stalled_ > 0; });
}

QByteArray generated_bytes(size_t offset, size_t size) {
  QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
  for (size_t i = 0; i < size; ++i) {
    uint32_t x = static_cast<uint32_t>(offset + i) * 2654435761u;
    x ^= x >> 15;
    bytes[static_cast<qsizetype>(i)] = static_cast<char>(x >> 24);
  }
  return bytes;
}

QByteArray catalogue_reply(uint16_t code, const QByteArray& payload) {
  const uint32_t total = static_cast<uint32_t>(payload.size() + 6);
  QByteArray body;
  body.append(static_cast<char>(code & 0xFF)).append(static_cast<char>(code >> 8));
  for (int shift = 0; shift < 32; shift += 8) body.append(static_cast<char>((total >> shift) & 0xFF));
  return body + payload;
}

bool wait_until(const std::function<bool()>& done, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}
