#pragma once
// A radio station on 127.0.0.1 for tests and benchmarks: every GET gets an endless stream that
// repeats one clip at about twice its own rate, with ICY titles when the client asks for them
// ("Icy-MetaData: 1"). The station can drop every listener and stay off the air for a while, as
// a server restart does. Header-only so the benchmarks can use it too.
#include "loopback_listener.h"

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace quovi_test {

class LiveStreamServer {
 public:
  static constexpr int kMetaInterval = 4096;

  // clip: the media repeated; bytes_per_second: how fast it goes out.
  LiveStreamServer(QByteArray clip, int bytes_per_second, std::string content_type = "audio/mpeg")
      : clip_(std::move(clip)),
        rate_(bytes_per_second),
        type_(std::move(content_type)),
        listener_([this](int client) { serve(client); },
                  [this] {
                    ++attempts_;
                    return on_air_.load();
                  }) {}
  // The streams going out end at their next piece; the listener then waits for them.
  ~LiveStreamServer() { stop_ = true; }
  LiveStreamServer(const LiveStreamServer&) = delete;
  LiveStreamServer& operator=(const LiveStreamServer&) = delete;

  QString url(const QString& path = QStringLiteral("/live")) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(listener_.port()).arg(path);
  }
  // The title sent in the next metadata block (every kMetaInterval bytes of media).
  void set_title(const std::string& title) {
    std::lock_guard lock(mutex_);
    title_ = title;
  }
  // Every listener is cut off now; until on_air(true) new ones are cut off as soon as they connect.
  void on_air(bool on) {
    if (!on) ++generation_;
    on_air_ = on;
  }
  int connections() const { return connections_; }  // streams started, ever
  int attempts() const { return attempts_; }        // connections asked for, on the air or not
  int listeners() const { return listeners_; }      // streams going out now

 private:
  std::string metadata_block() {
    std::string text;
    {
      std::lock_guard lock(mutex_);
      text = "StreamTitle='" + title_ + "';";
    }
    const size_t blocks = std::min<size_t>((text.size() + 15) / 16, 255);
    text.resize(blocks * 16, '\0');
    return std::string(1, static_cast<char>(blocks)) + text;
  }

  void serve(int client) {
    std::string lower = read_request_head(client);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const bool icy = lower.find("icy-metadata: 1") != std::string::npos;
    std::string head = "HTTP/1.0 200 OK\r\nContent-Type: " + type_ + "\r\nicy-name: Test Station\r\n";
    if (icy) head += "icy-metaint: " + std::to_string(kMetaInterval) + "\r\n";
    head += "\r\n";
    const int generation = generation_;
    ++connections_;
    ++listeners_;
    bool ok = send_all(client, head.data(), head.size());
    // The clip's own start (an ID3 tag) is sent once; the repeats start at the first frame.
    size_t pos = 0;
    size_t since_meta = 0;
    const size_t chunk = 1024;
    const auto start = std::chrono::steady_clock::now();
    size_t sent = 0;
    while (ok && !stop_ && generation == generation_) {
      size_t n = std::min({chunk, static_cast<size_t>(clip_.size()) - pos, kMetaInterval - since_meta});
      ok = send_all(client, clip_.constData() + pos, n);
      pos += n;
      sent += n;
      since_meta += n;
      if (pos == static_cast<size_t>(clip_.size())) pos = repeat_from();
      if (ok && icy && since_meta == kMetaInterval) {
        const std::string meta = metadata_block();
        ok = send_all(client, meta.data(), meta.size());
        since_meta = 0;
      }
      const auto due = start + std::chrono::milliseconds(sent * 1000 / static_cast<size_t>(rate_));
      while (!stop_ && generation == generation_ && std::chrono::steady_clock::now() < due)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    --listeners_;
    ::shutdown(client, SHUT_RDWR);
    ::close(client);
  }

  size_t repeat_from() const {
    const int at = clip_.indexOf(QByteArray("\xff", 1));
    return at < 0 ? 0 : static_cast<size_t>(at);
  }

  QByteArray clip_;
  int rate_;
  std::string type_;
  std::mutex mutex_;
  std::string title_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> on_air_{true};
  std::atomic<int> generation_{0};
  std::atomic<int> connections_{0};
  std::atomic<int> attempts_{0};
  std::atomic<int> listeners_{0};
  LoopbackListener listener_;  // last: its connections use everything above
};

}  // namespace quovi_test
