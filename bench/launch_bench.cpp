// Launch and close of the real program (quovi) at 212 k and 1 M channels, as whole processes. Goals:
//   launch to main window shown <= 1.5 s at 1 M channels and <= 0.4 s at 212 k;
//   close, from SIGTERM to the end of the process, <= 100 ms at 1 M channels.
//
// The program runs with HOME and XDG_* in a temporary folder whose catalogue folder holds a
// generated channels.dat stamped now (so the outdated question is not asked), on the offscreen
// platform, with both service addresses on a 127.0.0.1 port that refuses connections and with no
// session bus, so nothing is downloaded and nothing asks. QUOVI_MARK_SHOWN makes it print a line
// once its main window is first painted (shell/first_show_marker.h); launch is the time from the
// spawn to that line. After a pause, SIGTERM closes the window as its close button does
// (shell/session_end.h): the user files are written, the player stops, the process ends.
//
// Before each launch and load the memory it takes is at hand (backed_memory.h): about 600 bytes a
// channel, a little more than the program holds once its window shows.
//
// For reference the same run loads the same file in this process (load_channel_database), the
// bare load the start-up cannot do without, interleaved with the launches. Several repetitions;
// least and median of each, and launch against load.
#include "backed_memory.h"
#include "generated_channel_file.h"
#include "repetitions.h"

#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_database.h"
#include "services/service_addresses.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {
constexpr int kRepetitions = 7;
constexpr char kShownLine[] = "quovi: main window shown\n";
constexpr int kSettleMs = 500;       // between the window's first paint and the signal
constexpr int kPatienceMs = 120000;  // for a launch or a close that hangs

std::unique_ptr<QTemporaryDir> root;
int refusing_socket = -1;

// A 127.0.0.1 port that is bound but never listens: a connection to it is refused at once.
uint16_t refusing_port() {
  refusing_socket = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (refusing_socket < 0 || bind(refusing_socket, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      getsockname(refusing_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return 0;
  return ntohs(address.sin_port);
}

// This process and the program it starts see only the temporary folder.
bool enter_sandbox() {
  root = std::make_unique<QTemporaryDir>();
  if (!root->isValid()) return false;
  const QString base = root->path();
  for (const char* name : {"home", "data", "config", "cache", "state", "runtime"})
    if (!QDir().mkpath(base + "/" + name)) return false;
  chmod(QFile::encodeName(base + "/runtime").constData(), 0700);
  const auto set = [&](const char* name, const QString& value) {
    setenv(name, QFile::encodeName(value).constData(), 1);
  };
  set("HOME", base + "/home");
  set("XDG_DATA_HOME", base + "/data");
  set("XDG_CONFIG_HOME", base + "/config");
  set("XDG_CACHE_HOME", base + "/cache");
  set("XDG_STATE_HOME", base + "/state");
  set("XDG_RUNTIME_DIR", base + "/runtime");
  set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + base + "/runtime/no-bus");
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("QUOVI_AUDIO_OUTPUT", "null", 1);
  setenv("QUOVI_MARK_SHOWN", "1", 1);
  const uint16_t port = refusing_port();
  if (port == 0) return false;
  const QString dead = QStringLiteral("http://127.0.0.1:%1").arg(port);
  write_service_base(QStringLiteral("catalogue"), dead);
  write_service_base(QStringLiteral("feedback"), dead);
  return catalogue_service_base() == dead && feedback_service_base() == dead;
}

QString catalogue_file() { return channels_path(app_data_folder()); }

bool put_catalogue(size_t channels) {
  const std::string file = bench::channel_file_of(bench::members_stamped(channels, QDateTime::currentDateTime()));
  ensure_catalogue_folder(app_data_folder());
  QFile out(catalogue_file());
  return out.open(QIODevice::WriteOnly) &&
         out.write(file.data(), static_cast<qint64>(file.size())) == static_cast<qint64>(file.size());
}

QString stderr_log() { return root->path() + "/quovi-stderr.log"; }

struct Run {
  double launch_ms = 0;
  double close_ms = 0;
};

// Reads the program's output until the shown line; false when it ends or the patience runs out.
bool wait_for_shown(int fd) {
  std::string seen;
  const bench::Stopwatch clock;
  while (seen.find(kShownLine) == std::string::npos) {
    const int left = kPatienceMs - static_cast<int>(clock.milliseconds());
    pollfd p{fd, POLLIN, 0};
    if (left <= 0 || poll(&p, 1, left) <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    seen.append(buffer, static_cast<size_t>(n));
  }
  return true;
}

// Waits for the process to end; its wait status, or nothing when it outlives the patience.
std::optional<int> wait_for_end(pid_t pid) {
  const bench::Stopwatch clock;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return status;
    if (done < 0 || clock.milliseconds() > kPatienceMs) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

// One launch and close; an error text when the program did not behave.
std::string launch_and_close(Run& run) {
  // Each run starts as the first did: no user files yet.
  QFile::remove(favorites_path(app_data_folder()));
  QFile::remove(userdef_path(app_data_folder()));
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return "no pipe";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, QFile::encodeName(stderr_log()).constData(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  char* argv[] = {const_cast<char*>(QUOVI_PROGRAM), nullptr};
  pid_t pid = 0;
  const bench::Stopwatch launch;
  const int spawned = posix_spawn(&pid, QUOVI_PROGRAM, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return "cannot start " QUOVI_PROGRAM;
  }
  const bool shown = wait_for_shown(out[0]);
  run.launch_ms = launch.milliseconds();
  std::string error;
  if (shown) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
    const bench::Stopwatch closing;
    kill(pid, SIGTERM);
    const std::optional<int> status = wait_for_end(pid);
    run.close_ms = closing.milliseconds();
    if (!status) error = "the program did not end after SIGTERM";
    else if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0) error = "the program did not end normally after SIGTERM";
    else if (!QFile::exists(favorites_path(app_data_folder()))) error = "the close did not write the user files";
  } else {
    error = "the main window was not shown";
  }
  if (!error.empty() && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
  close(out[0]);
  if (!error.empty()) {
    QFile log(stderr_log());
    if (log.open(QIODevice::ReadOnly)) error += "; its error output:\n" + log.readAll().right(2000).toStdString();
  }
  return error;
}

constexpr size_t kAtHandPerChannel = 600;

double bare_load_ms(size_t channels) {
  Catalogue info;
  malloc_trim(0);
  bench::have_memory_at_hand(channels * kAtHandPerChannel);
  const double ms = bench::milliseconds_of([&] { load_channel_database(info, {}, app_data_folder()); });
  benchmark::DoNotOptimize(info.channels.data());
  info = Catalogue();
  malloc_trim(0);
  return ms;
}

void BM_LaunchAndClose(benchmark::State& state) {
  const auto channels = static_cast<size_t>(state.range(0));
  if (!put_catalogue(channels)) {
    state.SkipWithError("cannot write the catalogue");
    return;
  }
  std::vector<double> launches, closes, loads;
  for (auto _ : state) {
    for (int repetition = 0; repetition < kRepetitions; ++repetition) {
      if (repetition % 2) loads.push_back(bare_load_ms(channels));
      Run run;
      bench::have_memory_at_hand(channels * kAtHandPerChannel);
      const std::string error = launch_and_close(run);
      if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
      }
      launches.push_back(run.launch_ms);
      closes.push_back(run.close_ms);
      if (repetition % 2 == 0) loads.push_back(bare_load_ms(channels));
    }
  }
  using bench::median;
  using bench::minimum;
  state.counters["launch_min_ms"] = minimum(launches);
  state.counters["launch_med_ms"] = median(launches);
  state.counters["close_min_ms"] = minimum(closes);
  state.counters["close_med_ms"] = median(closes);
  state.counters["load_min_ms"] = minimum(loads);
  state.counters["load_med_ms"] = median(loads);
  state.counters["launch_per_load_min"] = minimum(launches) / minimum(loads);
  state.counters["launch_per_load_med"] = median(launches) / median(loads);
}
BENCHMARK(BM_LaunchAndClose)->Arg(212'000)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (!enter_sandbox()) {
    std::fputs("launch_bench: cannot prepare the temporary folder\n", stderr);
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  root.reset();
  if (refusing_socket >= 0) close(refusing_socket);
  return 0;
}
