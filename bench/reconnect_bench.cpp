// Reconnect time: how long after a station drops its listeners (and is back at once) the player
// plays it again, and how long of that it is silent (not "Playing"). The floor is a fresh start of
// the same station in the same run: a reconnect is a wait of 1 s and such a start, after the
// sound already received has played out.
#include "playback/media_player.h"

#include "../tests/support/live_stream_server.h"
#include "repetitions.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <memory>

namespace {
quovi_test::LiveStreamServer* station = nullptr;

void run_for(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs the event loop until `done` holds (or 30 s pass).
template <typename Done>
bool wait_for(Done done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > 30000) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }
  return true;
}

std::unique_ptr<MediaPlayer> make_player() {
  MediaPlayerOptions options;
  options.audio_output = QStringLiteral("null");
  auto player = std::make_unique<MediaPlayer>(options);
  player->setAutoStart(false);
  return player;
}

void BM_FreshStart(benchmark::State& state) {
  auto player = make_player();
  for (auto _ : state) {
    player->setURL(station->url());
    QElapsedTimer clock;
    clock.start();
    player->play();
    if (!wait_for([&] { return player->status() == QLatin1String("Playing"); })) state.SkipWithError("no Playing");
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    player->setURL(QString());
    run_for(100);
  }
}

// From the drop to the player playing the station's new stream: "Playing" on a new connection.
void BM_Reconnect(benchmark::State& state) {
  auto player = make_player();
  double silence_ms = 0;
  for (auto _ : state) {
    player->setURL(station->url());
    player->play();
    if (!wait_for([&] { return player->status() == QLatin1String("Playing"); })) state.SkipWithError("no Playing");
    run_for(1000);  // a second of listening: some sound in the cache, as a listener has
    const int connections = station->connections();
    QElapsedTimer silence;
    bool silent = false;
    const auto conn = QObject::connect(player.get(), &PlayerComponent::StatusChange, [&] {
      const bool playing = player->status() == QLatin1String("Playing");
      if (!playing && !silent) silence.start();
      if (playing && silent) silence_ms += silence.nsecsElapsed() / 1e6;
      silent = !playing;
    });
    QElapsedTimer clock;
    clock.start();
    station->on_air(false);
    station->on_air(true);  // the server is back at once; only the connection was lost
    if (!wait_for([&] { return station->connections() > connections && !silent &&
                               player->status() == QLatin1String("Playing"); }))
      state.SkipWithError("never back");
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    QObject::disconnect(conn);
    player->setURL(QString());
    run_for(100);
  }
  state.counters["silence_ms"] = benchmark::Counter(silence_ms, benchmark::Counter::kAvgIterations);
}

void configure(benchmark::internal::Benchmark* b) {
  b->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true)->UseManualTime()->Unit(benchmark::kMillisecond);
  b->ComputeStatistics("min", [](const std::vector<double>& v) { return bench::minimum(v); });
}
}  // namespace

BENCHMARK(BM_FreshStart)->Apply(configure);
BENCHMARK(BM_Reconnect)->Apply(configure);

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QFile tone(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../tests/data/playback/tone.mp3"));
  if (!tone.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(tone.fileName()), qPrintable(tone.errorString()));
    return 1;
  }
  quovi_test::LiveStreamServer live(tone.readAll(), 14000);
  station = &live;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
