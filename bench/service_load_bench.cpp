// quovi-service under load, on 127.0.0.1 only: many clients send the four feedback requests (a
// rating, a flag, a broken-channel report, a submitted channel) and download the demo catalogue,
// one request per connection as the player does, each from a loopback address of its own, for a
// fixed time. Once against SQLite (one service), once against PostgreSQL (two services sharing the
// database, the clients spread over both).
//
// Counters per store: requests answered 200 per second, p50 and p99 latency (connect to the end
// of the reply), the downloads' own p99, errors (any other status, or no reply), and rows_match:
// 1 when the rows recorded afterwards equal the feedback requests answered 200, kind by kind
// (nothing lost, nothing doubled). Each store runs twice: plain, then with hostile clients beside
// the others, all from one address (8 slow clients sending a header line every 2 s, as many as
// the service has workers; one client sending 24 MB of header lines over and over; one client
// downloading the catalogue under a different Host header each time, from --rotating-hosts=N
// names, default 9). The plain run is the floor: p99_ratio is the hostile run's p99 over it, to
// stay below 2.
//
// BM_CatalogueDownloadByHost times one client's downloads on its own, 2,000 at a time: under one
// Host header (the floor), rotating over 9, and a new one every time; the least and median time
// per download over 5 rounds, and each one's median over the floor's.
//
// 10 s per run by default; --seconds=30 for the full run; --clients=N (default 64).
#include "feedback_store.h"
#include "repetitions.h"
#include "scratch_postgres.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

int g_seconds = 10;
int g_clients = 64;
int g_rotating_hosts = 9;

// Loopback addresses the clients come from: every player its own, as on the internet, and the
// hostile clients all from one, as one attacker's.
constexpr uint32_t kLocalhost = 0x7F000001;  // 127.0.0.1
uint32_t player_address(int client) { return 0x7F010001 + static_cast<uint32_t>(client); }  // 127.1.x.y
constexpr uint32_t kAttacker = 0x7F020001;  // 127.2.0.1

int connect_to(int port, uint32_t from) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  // The port is chosen at connect, so that the many short connections do not run out of ports.
  const int on = 1;
  setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &on, sizeof on);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(from);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    ::close(fd);
    return -1;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// One request on a connection of its own; the reply's status, 0 when none came.
int request_status(int port, const std::string& request, uint32_t from = kLocalhost) {
  const int fd = connect_to(port, from);
  if (fd < 0) return 0;
  timeval wait{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  std::string reply;
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return reply.rfind("HTTP/1.1 ", 0) == 0 && reply.size() >= 12 ? std::atoi(reply.c_str() + 9) : 0;
}

// Every kind but the download is recorded.
enum Kind { kRate, kFlag, kBad, kSubmit, kDownload, kKinds };

std::string download_request(const std::string& host) {
  return "GET /service/get.php?key=' HTTP/1.1\r\nHost: " + host + "\r\nUser-Agent: load\r\nConnection: close\r\n\r\n";
}

std::string request_of(Kind kind, int port, std::mt19937& random) {
  if (kind == kDownload) return download_request("127.0.0.1:" + std::to_string(port));
  const std::string id = std::to_string(random() % 5000);
  std::string target;
  switch (kind) {
    case kRate: target = "/service/rate.php?rating=" + std::to_string(1 + random() % 5) + "&id=" + id; break;
    case kFlag: target = "/service/flag.php?flag=" + std::string(random() % 2 ? "ok" : "bad") + "&id=" + id; break;
    case kBad: target = "/service/bad.php?channel_id=" + id; break;
    default:
      target = "/service/new2.php?&group=2&name=Load%20" + id + "&url=http://example.org/" + id +
               "&bitrate=128&type=1&homepage=&country=1&genre=1&comment=";
  }
  return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: load\r\nConnection: close\r\n\r\n";
}

double percentile_of(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
  return values[at];
}

struct LoadResult {
  double seconds = 0;
  int64_t answered[kKinds] = {};  // 200s per kind
  int64_t errors = 0;
  std::vector<double> latencies_ms;           // of every request
  std::vector<double> download_latencies_ms;  // of the downloads among them
  int64_t slow_408s = 0, huge_tries = 0, huge_431s = 0;  // what the hostile clients met
  int64_t rotating_downloads = 0;                        // downloads the Host-rotating client got
  double percentile(double p) const { return percentile_of(latencies_ms, p); }
  int64_t total_answered() const {
    int64_t total = 0;
    for (const int64_t n : answered) total += n;
    return total;
  }
};

// The status of the reply waiting on `fd`, 0 when none.
int status_waiting(int fd) {
  char head[12] = {};
  const ssize_t n = ::recv(fd, head, sizeof head, MSG_DONTWAIT);
  return n == 12 && std::strncmp(head, "HTTP/1.1 ", 9) == 0 ? std::atoi(head + 9) : 0;
}

// Sends its request a header line every two seconds and starts again once refused; counts the
// 408s it got.
void slow_client(int port, Clock::time_point end, std::atomic<int64_t>& timed_out) {
  while (Clock::now() < end) {
    const int fd = connect_to(port, kAttacker);
    if (fd < 0) return;
    std::string line = "GET /service/rate.php?rating=5&id=1 HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (int n = 0; Clock::now() < end; ++n) {
      if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) < 0) break;
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 2000) > 0) {  // the service answered, or closed
        timed_out += status_waiting(fd) == 408;
        break;
      }
      line = "X-Slow-" + std::to_string(n) + ": still sending\r\n";
    }
    ::close(fd);
  }
}

// Sends 24 MB of header lines, then starts again; counts its tries and the 431s it got.
void huge_header_client(int port, Clock::time_point end, std::atomic<int64_t>& tries, std::atomic<int64_t>& refused) {
  std::string block;
  while (block.size() < 64 * 1024) block += "X-Huge: " + std::string(990, 'h') + "\r\n";
  const std::string start = "GET /service/rate.php?rating=5&id=1 HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  while (Clock::now() < end) {
    const int fd = connect_to(port, kAttacker);
    if (fd < 0) return;
    ++tries;
    bool going = ::send(fd, start.data(), start.size(), MSG_NOSIGNAL) > 0;
    for (size_t sent = 0; going && sent < 24u * 1000 * 1000 && Clock::now() < end; sent += block.size())
      going = ::send(fd, block.data(), block.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(block.size());
    refused += status_waiting(fd) == 431;
    ::close(fd);
  }
}

// Downloads the catalogue under a different Host header each time, from `names` names in turn;
// counts the downloads answered.
void rotating_host_client(int port, int names, Clock::time_point end, std::atomic<int64_t>& answered) {
  for (int n = 0; Clock::now() < end; n = (n + 1) % names) {
    const std::string host = "host-" + std::to_string(n) + ".example:" + std::to_string(port);
    answered += request_status(port, download_request(host), kAttacker) == 200;
  }
}

LoadResult run_load(const std::vector<int>& ports, bool hostile) {
  const auto start = Clock::now();
  const auto end = start + std::chrono::seconds(g_seconds);
  std::mutex mutex;
  LoadResult result;
  std::atomic<int64_t> slow_408s = 0, huge_tries = 0, huge_431s = 0, rotating_downloads = 0;
  std::vector<std::thread> threads;
  for (int c = 0; c < g_clients; ++c)
    threads.emplace_back([&, c] {
      std::mt19937 random(static_cast<unsigned>(c) * 7919u + 1);
      const int port = ports[static_cast<size_t>(c) % ports.size()];
      LoadResult mine;
      for (int n = c; Clock::now() < end; ++n) {
        const Kind kind = static_cast<Kind>(n % kKinds);
        const std::string request = request_of(kind, port, random);
        const auto before = Clock::now();
        const int status = request_status(port, request, player_address(c));
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - before).count();
        mine.latencies_ms.push_back(ms);
        if (kind == kDownload) mine.download_latencies_ms.push_back(ms);
        if (status == 200)
          ++mine.answered[kind];
        else
          ++mine.errors;
      }
      std::lock_guard lock(mutex);
      for (int k = 0; k < kKinds; ++k) result.answered[k] += mine.answered[k];
      result.errors += mine.errors;
      result.latencies_ms.insert(result.latencies_ms.end(), mine.latencies_ms.begin(), mine.latencies_ms.end());
      result.download_latencies_ms.insert(result.download_latencies_ms.end(), mine.download_latencies_ms.begin(),
                                          mine.download_latencies_ms.end());
    });
  if (hostile) {
    for (int i = 0; i < 8; ++i) threads.emplace_back([&, i] { slow_client(ports[i % ports.size()], end, slow_408s); });
    threads.emplace_back([&] { huge_header_client(ports[0], end, huge_tries, huge_431s); });
    threads.emplace_back([&] { rotating_host_client(ports[0], g_rotating_hosts, end, rotating_downloads); });
  }
  for (auto& t : threads) t.join();
  result.slow_408s = slow_408s;
  result.huge_tries = huge_tries;
  result.huge_431s = huge_431s;
  result.rotating_downloads = rotating_downloads;
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result;
}

// quovi-service on a port of its own choosing, serving the demo catalogue (whose local channels
// name the address each client used); its log goes to a file, so that nobody has to read it while
// the load runs.
class Service {
 public:
  Service(const std::string& database, const QString& log) {
    process_.setStandardErrorFile(log, QIODevice::Append);
    process_.start(QStringLiteral(QUOVI_SERVICE_PROGRAM),
                   {"--address", "127.0.0.1", "--port", "0", "--catalogue", QStringLiteral(QUOVI_DEMO_CATALOGUE),
                    "--media", "", "--database", QString::fromStdString(database)});
    QByteArray out;
    while (!out.contains('\n') && process_.waitForReadyRead(30000)) out += process_.readAllStandardOutput();
    const auto match = QRegularExpression("listening on http://127\\.0\\.0\\.1:(\\d+)").match(QString::fromUtf8(out));
    if (match.hasMatch()) port_ = match.captured(1).toInt();
  }
  ~Service() {
    if (process_.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
    if (!process_.waitForFinished(30000)) process_.kill();
  }
  int port() const { return port_; }

 private:
  QProcess process_;
  int port_ = 0;
};

// Whether the rows recorded equal the requests answered 200, kind by kind.
bool rows_match(const std::string& database, const LoadResult& r) {
  const auto store = open_feedback_store(database, FeedbackStore::Mode::existing);
  return static_cast<int64_t>(store->ratings().size()) == r.answered[kRate] &&
         static_cast<int64_t>(store->flags().size()) == r.answered[kFlag] &&
         static_cast<int64_t>(store->bad_reports().size()) == r.answered[kBad] &&
         static_cast<int64_t>(store->submissions().size()) == r.answered[kSubmit];
}

// One run on a fresh database with `instances` services; the services are stopped before the
// rows are counted.
LoadResult measure(const std::string& database, int instances, bool hostile, const QString& log, bool& matched,
                   std::string& problem) {
  LoadResult result;
  {
    std::vector<std::unique_ptr<Service>> services;
    std::vector<int> ports;
    for (int i = 0; i < instances; ++i) {
      services.push_back(std::make_unique<Service>(database, log));
      if (services.back()->port() <= 0) {
        problem = "quovi-service did not start; see " + log.toStdString();
        return result;
      }
      ports.push_back(services.back()->port());
    }
    result = run_load(ports, hostile);
  }
  matched = rows_match(database, result);
  return result;
}

void report(benchmark::State& state, const std::string& prefix, const LoadResult& r, bool matched) {
  state.counters[prefix + "requests_per_s"] = static_cast<double>(r.total_answered()) / r.seconds;
  state.counters[prefix + "p50_ms"] = r.percentile(0.50);
  state.counters[prefix + "p99_ms"] = r.percentile(0.99);
  state.counters[prefix + "download_p99_ms"] = percentile_of(r.download_latencies_ms, 0.99);
  state.counters[prefix + "errors"] = static_cast<double>(r.errors);
  state.counters[prefix + "rows_match"] = matched ? 1 : 0;
  if (r.huge_tries > 0) {
    state.counters[prefix + "slow_408s"] = static_cast<double>(r.slow_408s);
    state.counters[prefix + "huge_tries"] = static_cast<double>(r.huge_tries);
    state.counters[prefix + "huge_431s"] = static_cast<double>(r.huge_431s);
    state.counters[prefix + "rotating_downloads"] = static_cast<double>(r.rotating_downloads);
  }
}

void run_store(benchmark::State& state, bool postgresql) {
  QTemporaryDir folder;
  std::unique_ptr<ScratchPostgres> server;
  if (postgresql) {
    server = std::make_unique<ScratchPostgres>(true);
    if (!server->running()) {
      state.SkipWithError(server->problem().c_str());
      for (auto _ : state) {
      }
      return;
    }
  }
  int run = 0;
  const auto fresh_database = [&] {
    ++run;
    return postgresql ? server->new_database() : folder.filePath(QStringLiteral("feedback-%1.sqlite").arg(run)).toStdString();
  };
  const int instances = postgresql ? 2 : 1;
  const QString log = folder.filePath("service.log");
  for (auto _ : state) {
    std::string problem;
    bool plain_matched = false, hostile_matched = false;
    const LoadResult plain = measure(fresh_database(), instances, false, log, plain_matched, problem);
    const LoadResult hostile = problem.empty() ? measure(fresh_database(), instances, true, log, hostile_matched, problem)
                                               : LoadResult{};
    if (!problem.empty()) {
      state.SkipWithError(problem.c_str());
      return;
    }
    state.SetIterationTime(plain.seconds + hostile.seconds);
    report(state, "", plain, plain_matched);
    report(state, "hostile_", hostile, hostile_matched);
    state.counters["p99_ratio"] = hostile.percentile(0.99) / std::max(plain.percentile(0.99), 1e-9);
  }
}

void BM_ServiceLoadSqlite(benchmark::State& state) { run_store(state, false); }
void BM_ServiceLoadPostgresqlTwoServices(benchmark::State& state) { run_store(state, true); }
BENCHMARK(BM_ServiceLoadSqlite)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ServiceLoadPostgresqlTwoServices)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Milliseconds per download over `count` downloads, the n-th under host_of(n).
double milliseconds_per_download(int port, int count, const std::function<std::string(int)>& host_of,
                                 int64_t& failures) {
  const bench::Stopwatch clock;
  for (int n = 0; n < count; ++n) failures += request_status(port, download_request(host_of(n))) != 200;
  return clock.milliseconds() / count;
}

// "rROUND-NAME.example:PORT"
std::string round_host(int round, const std::string& name, const std::string& port) {
  std::string host = "r";
  host += std::to_string(round);
  host += '-';
  host += name;
  host += ".example:";
  host += port;
  return host;
}

void BM_CatalogueDownloadByHost(benchmark::State& state) {
  constexpr int kDownloads = 2000;
  QTemporaryDir folder;
  const QString log = folder.filePath("service.log");
  const Service service(folder.filePath("feedback.sqlite").toStdString(), log);
  if (service.port() <= 0) {
    state.SkipWithError(("quovi-service did not start; see " + log.toStdString()).c_str());
    for (auto _ : state) {
    }
    return;
  }
  const std::string port = std::to_string(service.port());
  // The rotating hosts are named afresh in every round, so that no round finds one an earlier
  // round had built.
  const struct {
    const char* name;
    std::function<std::string(int round, int n)> host;
  } phases[] = {
      {"one_host", [&](int, int) { return "127.0.0.1:" + port; }},
      {"nine_hosts", [&](int round, int n) { return round_host(round, std::to_string(n % 9), port); }},
      {"new_host", [&](int round, int n) { return round_host(round, "new-" + std::to_string(n), port); }},
  };
  std::vector<std::vector<double>> times(std::size(phases));
  int64_t failures = 0;
  int round = 0;
  for (auto _ : state) {
    const auto before = Clock::now();
    for (size_t p = 0; p < std::size(phases); ++p) {
      const auto host_of = [&, p](int n) { return phases[p].host(round, n); };
      times[p].push_back(milliseconds_per_download(service.port(), kDownloads, host_of, failures));
    }
    ++round;
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - before).count());
  }
  for (size_t p = 0; p < std::size(phases); ++p) {
    const std::string name = phases[p].name;
    state.counters[name + "_min_ms"] = bench::minimum(times[p]);
    state.counters[name + "_median_ms"] = bench::median(times[p]);
    if (p > 0) state.counters[name + "_ratio"] = bench::median(times[p]) / std::max(bench::median(times[0]), 1e-9);
  }
  state.counters["failures"] = static_cast<double>(failures);
}
BENCHMARK(BM_CatalogueDownloadByHost)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--seconds=", 10) == 0)
      g_seconds = std::max(1, std::atoi(argv[i] + 10));
    else if (std::strncmp(argv[i], "--clients=", 10) == 0)
      g_clients = std::max(1, std::atoi(argv[i] + 10));
    else if (std::strncmp(argv[i], "--rotating-hosts=", 17) == 0)
      g_rotating_hosts = std::max(1, std::atoi(argv[i] + 17));
    else
      rest.push_back(argv[i]);
  }
  int count = static_cast<int>(rest.size());
  benchmark::Initialize(&count, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
