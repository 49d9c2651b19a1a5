// How long Cancel takes to end a transfer in each of its phases: the name lookup (one that hangs),
// the connect (to a listener whose queue is full, so the handshake never completes), waiting for
// the reply's headers (a server that reads the request and says nothing), and the body (a server
// that sends the headers and then trickles a few bytes at a time). Each phase is entered for sure
// before the abort: the stalled lookup has begun, the connection is in SYN-SENT, the server has read
// the whole request, body bytes have arrived. The time runs from abort() until finished() has
// arrived and the request is deleted, as Cancel and Close see it.
//
// The floor, measured in the same run and interleaved with the phases, is the bare mechanism an
// abort cannot do without: waking a thread blocked in curl_multi_poll and hearing back from it
// through the event loop. Every repetition measures the floor and each phase once; the counters
// give min and median per phase and the median's ratio to the floor's median.
//
// The name lookup phase needs the stand-in resolver of the tests (tests/support/stalling_resolver.cpp);
// the benchmark starts itself again with it preloaded, and leaves the phase out where it was not built.
#include "repetitions.h"

#include "services/http_request.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QThread>

#include <arpa/inet.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <curl/curl.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr int kRepetitions = 30;
constexpr char kStallingHost[] = "stall.invalid";

// Runs the event loop until done() holds; false when it still does not after ten seconds.
bool run_events_until(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > 10000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    QThread::usleep(100);
  }
  return true;
}

void run_events_for(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  run_events_until([&] { return clock.elapsed() >= milliseconds; });
}

int stalled_lookups() {
  using Count = int (*)();
  static const auto count = reinterpret_cast<Count>(dlsym(RTLD_DEFAULT, "quovi_stalled_lookups"));
  return count ? count() : -1;
}

sockaddr_in loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

// A listening socket on 127.0.0.1; its port, or -1.
int listen_on_loopback(int backlog, uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = loopback(0);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

QByteArray local_url(uint16_t port) { return "http://127.0.0.1:" + QByteArray::number(port) + "/service/get.php"; }

// A listener whose accept queue is full: Linux drops further handshakes, so a connect to it hangs.
class FullListener {
 public:
  FullListener() {
    listener_ = listen_on_loopback(0, port_);
    if (listener_ < 0) return;
    for (int i = 0; i < 16 && !full_; ++i) {
      const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      const sockaddr_in address = loopback(port_);
      connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
      pollfd p{fd, POLLOUT, 0};
      if (poll(&p, 1, 100) == 0) full_ = true;
      fillers_.push_back(fd);
    }
  }
  ~FullListener() {
    for (int fd : fillers_) close(fd);
    if (listener_ >= 0) close(listener_);
  }
  bool ready() const { return full_; }
  uint16_t port() const { return port_; }
  QByteArray url() const { return local_url(port_); }

 private:
  int listener_ = -1;
  uint16_t port_ = 0;
  bool full_ = false;
  std::vector<int> fillers_;
};

// Connections to the port in SYN-SENT, from /proc/net/tcp: connects the listener never answers.
int connects_waiting(uint16_t port) {
  FILE* table = std::fopen("/proc/net/tcp", "r");
  if (!table) return -1;
  char line[512];
  int count = 0;
  while (std::fgets(line, sizeof line, table)) {
    unsigned remote_port = 0, state = 0;
    if (std::sscanf(line, " %*d: %*8x:%*4x %*8x:%4x %2x", &remote_port, &state) == 2 && remote_port == port &&
        state == 0x02)
      ++count;
  }
  std::fclose(table);
  return count;
}

// Accepts every connection and reads its request; then either says nothing, or sends the headers
// and the first kilobyte of a megabyte body and then 16 bytes every 10 ms. Connections are held
// open until the server goes.
class StallingServer {
 public:
  explicit StallingServer(bool trickle_body) : trickle_body_(trickle_body) {
    listener_ = listen_on_loopback(128, port_);
    if (listener_ >= 0) thread_ = std::thread([this] { serve(); });
  }
  ~StallingServer() {
    if (listener_ < 0) return;
    stop_.store(true);
    thread_.join();
    close(listener_);
    for (int fd : held_) close(fd);
  }
  bool ready() const { return listener_ >= 0; }
  QByteArray url() const { return local_url(port_); }
  // Requests read whole so far.
  int requests_read() const { return requests_read_.load(); }

 private:
  void serve() {
    while (!stop_.load()) {
      pollfd p{listener_, POLLIN, 0};
      if (poll(&p, 1, 10) > 0) {
        const int fd = accept(listener_, nullptr, nullptr);
        if (fd >= 0) take(fd);
      }
      if (trickle_body_) trickle();
    }
  }

  void take(int fd) {
    held_.push_back(fd);
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) return;
      request.append(buffer, static_cast<size_t>(n));
    }
    ++requests_read_;
    if (!trickle_body_) return;
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n" + std::string(1024, 'x');
    if (send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) >= 0) trickling_.push_back(fd);
  }

  // A connection the client has closed fails the send and is dropped from the trickle.
  void trickle() {
    static const std::string bytes(16, 'y');
    std::erase_if(trickling_,
                  [](int fd) { return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0; });
  }

  bool trickle_body_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_read_{0};
  std::thread thread_;
  std::vector<int> held_;
  std::vector<int> trickling_;
};

// Milliseconds from abort() until the request has finished and is gone.
double abort_milliseconds(HttpRequest* request) {
  QElapsedTimer clock;
  clock.start();
  request->abort();
  if (!run_events_until([&] { return !request->running(); })) return -1;
  delete request;
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Each phase starts a request and runs the event loop until the transfer is in that phase; nothing
// when it does not get there.
HttpRequest* in_phase(HttpRequest* request, bool reached) {
  if (reached) return request;
  delete request;
  return nullptr;
}

HttpRequest* request_in_lookup() {
  const int before = stalled_lookups();
  auto* request = new HttpRequest;
  request->get(QByteArray("http://") + kStallingHost + "/service/get.php");
  return in_phase(request, run_events_until([&] { return stalled_lookups() > before; }));
}

HttpRequest* request_connecting(const FullListener& listener) {
  const int before = connects_waiting(listener.port());
  auto* request = new HttpRequest;
  request->get(listener.url());
  return in_phase(request, run_events_until([&] { return connects_waiting(listener.port()) > before; }));
}

HttpRequest* request_awaiting_headers(const StallingServer& server) {
  const int before = server.requests_read();
  auto* request = new HttpRequest;
  request->get(server.url());
  return in_phase(request, run_events_until([&] { return server.requests_read() > before; }));
}

HttpRequest* request_in_body(const QByteArray& url) {
  auto* request = new HttpRequest;
  qint64 received = 0;
  QObject::connect(request, &HttpRequest::work, [&received](qint64 count) { received = count; });
  request->get(url);
  const bool reached = run_events_until([&] { return received > 0; });
  request->disconnect();
  return in_phase(request, reached);
}

// The floor: a thread blocked in curl_multi_poll, woken, answering through the event loop.
double floor_milliseconds() {
  CURLM* multi = curl_multi_init();
  QObject receiver;
  std::atomic<bool> polling{false};
  bool answered = false;
  std::thread waiter([&] {
    polling.store(true);
    curl_multi_poll(multi, nullptr, 0, 10000, nullptr);
    QMetaObject::invokeMethod(&receiver, [&answered] { answered = true; }, Qt::QueuedConnection);
  });
  run_events_until([&] { return polling.load(); });
  run_events_for(20);
  QElapsedTimer clock;
  clock.start();
  curl_multi_wakeup(multi);
  run_events_until([&] { return answered; });
  const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  waiter.join();
  curl_multi_cleanup(multi);
  return elapsed;
}

void BM_AbortByPhase(benchmark::State& state) {
  FullListener full;
  StallingServer silent(false);
  StallingServer trickling(true);
  if (!full.ready() || !silent.ready() || !trickling.ready() || connects_waiting(full.port()) < 0) {
    state.SkipWithError("no local sockets to stall on");
    return;
  }
  const bool with_lookup = stalled_lookups() >= 0;
  using Phase = std::pair<const char*, std::function<HttpRequest*()>>;
  std::vector<Phase> phases;
  if (with_lookup) phases.push_back({"lookup", request_in_lookup});
  phases.push_back({"connect", [&] { return request_connecting(full); }});
  phases.push_back({"headers", [&] { return request_awaiting_headers(silent); }});
  phases.push_back({"body", [&] { return request_in_body(trickling.url()); }});

  std::vector<double> floor;
  std::map<std::string, std::vector<double>> times;
  for (auto _ : state) {
    for (int i = 0; i < kRepetitions; ++i) {
      floor.push_back(floor_milliseconds());
      for (const auto& [name, start] : phases) {
        HttpRequest* request = start();
        const double ms = request ? abort_milliseconds(request) : -1;
        if (ms < 0) {
          const char* what = request ? ": the abort did not end the transfer" : ": phase not reached";
          state.SkipWithError((std::string(name) + what).c_str());
          return;
        }
        times[name].push_back(ms);
      }
    }
  }
  using bench::median;
  const double floor_median = median(floor);
  state.counters["floor_min_ms"] = bench::minimum(floor);
  state.counters["floor_median_ms"] = floor_median;
  for (const auto& [name, values] : times) {
    state.counters[name + "_min_ms"] = bench::minimum(values);
    state.counters[name + "_median_ms"] = median(values);
    state.counters[name + "_ratio"] = median(values) / floor_median;
  }
  if (!with_lookup) state.SetLabel("name lookup phase left out: no stand-in resolver");
}
BENCHMARK(BM_AbortByPhase)->Iterations(1)->Unit(benchmark::kMillisecond);

// Starts this program again with the stand-in resolver preloaded, once.
void preload_stalling_resolver(char** argv) {
#ifdef QUOVI_STALLING_RESOLVER
  if (stalled_lookups() >= 0 || std::getenv("QUOVI_STALLING_RESOLVER_TRIED")) return;
  setenv("QUOVI_STALLING_RESOLVER_TRIED", "1", 1);
  // Lookups hang for longer than the whole run.
  setenv("QUOVI_STALL_SECONDS", "600", 0);
  const char* preload = std::getenv("LD_PRELOAD");
  const std::string value = std::string(QUOVI_STALLING_RESOLVER) + (preload ? std::string(":") + preload : "");
  setenv("LD_PRELOAD", value.c_str(), 1);
  execv("/proc/self/exe", argv);
#else
  (void)argv;
#endif
}
}  // namespace

int main(int argc, char** argv) {
  preload_stalling_resolver(argv);
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
