// After a download the GUI thread never stalls for more than 50 ms. A timer ticks every 5 ms on the
// GUI thread while the downloaded catalogue is loaded and installed (what the download dialog does
// once the reply is in) and while the main window reloads it, until the catalogue it replaced has
// been freed and the window has run a while longer; the longest gap between two ticks is the
// longest time the window could not repaint or take input. min and median over repetitions.
//
// The floor, measured in the same run between the repetitions, is the longest gap while the GUI
// thread has nothing to do and two worker threads keep both cores busy for a second: what the
// machine alone takes from the GUI thread, whatever the program does.
//
// BM_ReloadAllOnTheGuiThread runs the same steps the way the program ran them before, every one on
// the GUI thread (the trial load, then the reload reading the file a second time), for comparison in
// the same run.
#include "catalogue/catalogue_generator.h"
#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_database.h"
#include "catalogue/lookups.h"
#include "catalogue/user_files.h"
#include "services/catalogue_download.h"
#include "services/catalogue_trial_load.h"
#include "services/worker_thread.h"
#include "settings/settings_store.h"
#include "shell/catalogue_load.h"
#include "shell/catalogue_refresh.h"
#include "shell/main_window.h"
#include "tick_gaps.h"
#include "widget_benchmark_main.h"
#include "views/sorting.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <vector>

namespace {
using bench::stall_floor;
using bench::TickGaps;

// The channel file of a catalogue of `channels` made-up channels, the same in every run.
const std::string& channel_file(size_t channels) {
  static std::map<size_t, std::string> made;
  auto it = made.find(channels);
  if (it == made.end()) {
    GeneratorOptions options{channels * 3 / 10, channels * 6 / 10, 0, 2026};
    options.video = channels - options.tv - options.radio;
    it = made.emplace(channels, generate_channel_file(options)).first;
  }
  return it->second;
}

// The reply of the catalogue service carrying `file`.
std::string catalogue_reply(const std::string& file) {
  const uint32_t length = static_cast<uint32_t>(file.size() + 6);
  std::string body = {static_cast<char>(kReplyCatalogue & 0xFF), static_cast<char>(kReplyCatalogue >> 8),
                      static_cast<char>(length & 0xFF), static_cast<char>((length >> 8) & 0xFF),
                      static_cast<char>((length >> 16) & 0xFF), static_cast<char>(length >> 24)};
  return body + file;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
double minimum(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// A running program whose catalogue is `channels` channels large, with two channels of the user's
// and a few favourites, showing the Radio view.
struct Program {
  explicit Program(size_t channels) {
    const QString app_data = app_data_folder();
    ensure_catalogue_folder(app_data);
    QFile file(channels_path(app_data));
    const std::string& bytes = channel_file(channels);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                                                 static_cast<qint64>(bytes.size()))
      throw std::runtime_error("cannot write the benchmark catalogue");
    file.close();
    QFile favorites(favorites_path(app_data));
    if (favorites.open(QIODevice::WriteOnly)) favorites.write("3\r\n17\r\n100001\r\n");
    QFile userdef(userdef_path(app_data));
    if (userdef.open(QIODevice::WriteOnly))
      userdef.write("100001|2|0|Mine|http://a/|128|1||33|12|\r\n100002|2|0|Zed|http://b/|64|1||7|3|\r\n");
    write_integer_setting(kSettingsKey, "selected", kGroupRadio);
    // Loaded as the program loads it: the database read on a worker thread.
    CatalogueReadAhead read_ahead(app_data);
    const auto update = load_catalogue(state, &window, window.before_rebuild(), QDateTime::currentDateTime(), &read_ahead);
    if (update) window.finish_view_change(*update);
    window.show();
    QCoreApplication::processEvents();
  }
  AppState state;
  MainWindow window{state};
};

void settle() {
  QThreadPool::globalInstance()->waitForDone();
  QCoreApplication::processEvents();
}

// Runs the event loop until the workers are idle (the replaced catalogue is freed) and then for
// another 200 ms: what the freeing leaves to the GUI thread shows here.
void run_events_until_settled() {
  QElapsedTimer idle;
  while (QThreadPool::globalInstance()->activeThreadCount() > 0 || !idle.isValid() || idle.elapsed() < 200) {
    if (QThreadPool::globalInstance()->activeThreadCount() > 0) idle.invalidate();
    else if (!idle.isValid()) idle.start();
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

void BM_ReloadStall(benchmark::State& bench) {
  const size_t channels = static_cast<size_t>(bench.range(0));
  Program program(channels);
  const std::string reply = catalogue_reply(channel_file(channels));
  TickGaps probe;
  std::vector<double> install_gaps, reload_gaps, seconds, floors;
  for (auto _ : bench) {
    std::string body = reply;
    settle();
    QElapsedTimer total;
    total.start();
    // The download dialog once the reply is in: the new catalogue loads and replaces the file.
    probe.start();
    DownloadReply answer = interpret_reply({}, std::move(body));
    InstallClaim never_cancelled;
    QFuture<InstallResult> installing =
        run_on_worker([app_data = program.state.catalogue.app_data, payload = std::move(answer.payload),
                       into = catalogue_to_load(program.state.catalogue), &never_cancelled]() mutable {
          return install_catalogue(app_data, std::move(payload), std::move(into), trial_load_catalogue,
                                   never_cancelled);
        });
    wait_running_events(installing);
    InstallResult installed = installing.takeResult();
    install_gaps.push_back(probe.stop());
    if (installed.status != kStatusComplete) {
      bench.SkipWithError(installed.status.toStdString().c_str());
      return;
    }
    // The Update button's reload.
    probe.start();
    reload_after_download(program.state, ReloadCaller::UpdateButton, std::move(installed.catalogue), &program.window,
                          program.window.reload_hooks());
    seconds.push_back(static_cast<double>(total.nsecsElapsed()) / 1e9);
    run_events_until_settled();
    reload_gaps.push_back(probe.stop());
    floors.push_back(stall_floor(probe));
  }
  settle();
  std::vector<double> longest;
  for (size_t i = 0; i < install_gaps.size(); ++i) longest.push_back(std::max(install_gaps[i], reload_gaps[i]));
  bench.counters["channels"] = static_cast<double>(program.state.catalogue.channels.size());
  bench.counters["stall_min_ms"] = minimum(longest);
  bench.counters["stall_med_ms"] = median(longest);
  bench.counters["install_stall_med_ms"] = median(install_gaps);
  bench.counters["reload_stall_med_ms"] = median(reload_gaps);
  bench.counters["road_med_s"] = median(seconds);
  bench.counters["floor_min_ms"] = minimum(floors);
  bench.counters["floor_med_ms"] = median(floors);
}

// The same road with every step on the GUI thread, as before: the stall is the whole of it.
void BM_ReloadAllOnTheGuiThread(benchmark::State& bench) {
  const size_t channels = static_cast<size_t>(bench.range(0));
  Program program(channels);
  const std::string& file = channel_file(channels);
  TickGaps probe;
  std::vector<double> gaps;
  for (auto _ : bench) {
    settle();
    probe.start();
    Catalogue tried;
    trial_load_catalogue(tried, file);
    tried = Catalogue();
    AppState& state = program.state;
    write_user_files(state.catalogue);
    program.window.before_rebuild()();
    reset_catalogue(state.catalogue);
    load_user_files(state.catalogue, &program.window);
    load_channel_database(state.catalogue, state.catalogue.favorites, state.catalogue.app_data);
    resolve_user_channel_genres(state.catalogue);
    load_settings(state.catalogue.filter);
    sort_after_update_reload(state);
    program.window.finish_view_change(build_visible_list(state));
    gaps.push_back(probe.stop());
  }
  bench.counters["stall_min_ms"] = minimum(gaps);
  bench.counters["stall_med_ms"] = median(gaps);
}
}  // namespace

BENCHMARK(BM_ReloadStall)->Arg(212'000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReloadStall)->Arg(1'000'000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReloadAllOnTheGuiThread)->Arg(212'000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReloadAllOnTheGuiThread)->Arg(1'000'000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return bench::run_widget_benchmarks(argc, argv); }
