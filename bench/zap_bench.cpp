// Zap time: from the Play command to the "Playing" status on a local HTTP stream, against the
// floor of bare libmpv (loadfile to playback-restart on a reused handle) on the same stream.
//
// Each repetition is one pair: one zap through the program's player and one bare load, in an order
// that alternates from pair to pair, so that both halves of a pair see the same machine. Both rest
// alike after each load, so neither starts from a warmer core. The ratio is taken per pair; the
// report gives each pair's times and ratio, and the least and the median of each column.
#include "playback/media_player.h"
#include "repetitions.h"

#include "../tests/playback/local_http_server.h"
#include "../tests/playback/test_media.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

namespace {
constexpr int kPairs = 20;
constexpr int kRestMs = 100;
constexpr int kPatienceMs = 20000;

void rest() {
  QEventLoop settle;
  QTimer::singleShot(kRestMs, &settle, &QEventLoop::quit);
  settle.exec();
}

// Runs the event loop until the player's status is the given text (or the patience runs out).
bool wait_for_status(MediaPlayer& player, const char* text) {
  if (player.status() == QLatin1String(text)) return true;
  QEventLoop loop;
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&player, &PlayerComponent::StatusChange, &loop, [&] {
    if (player.status() == QLatin1String(text)) loop.quit();
  });
  timeout.start(kPatienceMs);
  loop.exec();
  return player.status() == QLatin1String(text);
}

// Waits on the bare handle for an event of the given kind.
bool wait_for_event(mpv_handle* h, mpv_event_id id) {
  for (;;) {
    const mpv_event* e = mpv_wait_event(h, kPatienceMs / 1000.0);
    if (e->event_id == id) return true;
    if (e->event_id == MPV_EVENT_NONE || e->event_id == MPV_EVENT_SHUTDOWN) return false;
    if (e->event_id == MPV_EVENT_END_FILE && id != MPV_EVENT_END_FILE) return false;
  }
}

struct BareHandle {
  BareHandle() : handle(mpv_create()) {
    if (!handle) return;
    for (auto [name, value] : {std::pair{"config", "no"}, {"terminal", "no"}, {"ytdl", "no"}, {"ao", "null"},
                               {"vo", "null"}, {"idle", "yes"}, {"osc", "no"}})
      mpv_set_option_string(handle, name, value);
    if (mpv_initialize(handle) < 0) {
      mpv_terminate_destroy(handle);
      handle = nullptr;
    }
  }
  ~BareHandle() {
    if (handle) mpv_terminate_destroy(handle);
  }
  BareHandle(const BareHandle&) = delete;
  BareHandle& operator=(const BareHandle&) = delete;
  mpv_handle* handle;
};

// One zap through the program's player; negative when it never reached "Playing".
double program_zap(MediaPlayer& player, const QString& url) {
  player.setURL(url);
  const bench::Stopwatch clock;
  player.play();
  const bool playing = wait_for_status(player, "Playing");
  const double ms = clock.milliseconds();
  player.setURL(QString());
  rest();
  return playing ? ms : -1;
}

// One bare load of the same stream; negative when playback never restarted.
double bare_zap(mpv_handle* h, const QByteArray& url) {
  const char* load[] = {"loadfile", url.constData(), "replace", nullptr};
  const bench::Stopwatch clock;
  mpv_command_async(h, 0, load);
  const bool playing = wait_for_event(h, MPV_EVENT_PLAYBACK_RESTART);
  const double ms = clock.milliseconds();
  const char* stop[] = {"stop", nullptr};
  mpv_command(h, stop);
  wait_for_event(h, MPV_EVENT_IDLE);
  rest();
  return playing ? ms : -1;
}

QString stream_url;

void BM_ZapPairs(benchmark::State& state) {
  MediaPlayerOptions options;
  options.audio_output = QStringLiteral("null");
  MediaPlayer player(options);
  player.setAutoStart(false);
  const BareHandle bare;
  if (!player.isValid() || !bare.handle) {
    state.SkipWithError("libmpv could not be started");
    for (auto _ : state) {
    }
    return;
  }
  const QByteArray bare_url = stream_url.toUtf8();
  // A first load of each, not counted: both start from a stream the server and the cache have seen.
  program_zap(player, stream_url);
  bare_zap(bare.handle, bare_url);

  std::vector<double> programs, bares, ratios;
  for (auto _ : state) {
    for (int pair = 0; pair < kPairs; ++pair) {
      double program = 0, floor = 0;
      if (pair % 2 == 0) {
        program = program_zap(player, stream_url);
        floor = bare_zap(bare.handle, bare_url);
      } else {
        floor = bare_zap(bare.handle, bare_url);
        program = program_zap(player, stream_url);
      }
      if (program < 0 || floor <= 0) {
        state.SkipWithError(program < 0 ? "never reached Playing" : "bare libmpv never played");
        return;
      }
      programs.push_back(program);
      bares.push_back(floor);
      ratios.push_back(program / floor);
      std::fprintf(stderr, "pair %2d (%s first): program %7.1f ms  bare %7.1f ms  ratio %5.2f\n", pair + 1,
                   pair % 2 == 0 ? "program" : "bare", program, floor, program / floor);
    }
  }
  state.counters["program_min_ms"] = bench::minimum(programs);
  state.counters["program_med_ms"] = bench::median(programs);
  state.counters["bare_min_ms"] = bench::minimum(bares);
  state.counters["bare_med_ms"] = bench::median(bares);
  state.counters["pair_ratio_min"] = bench::minimum(ratios);
  state.counters["pair_ratio_med"] = bench::median(ratios);
}
}  // namespace

// One run; the pairs are inside it, so that the program and the floor interleave.
BENCHMARK(BM_ZapPairs)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const QByteArray tone = quovi_test::test_media(QStringLiteral("tone.mp3"));
  if (tone.isEmpty()) {
    std::fprintf(stderr, "zap_bench: the tests' tone.mp3 cannot be read\n");
    return 1;
  }
  quovi_test::LocalHttpServer local_server;
  local_server.serve("/tone.mp3", tone, "audio/mpeg");
  stream_url = local_server.url(QStringLiteral("/tone.mp3"));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
