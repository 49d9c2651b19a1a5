// Zap time: from the Play command to the "Playing" status on a local HTTP stream, against the
// floor of bare libmpv (loadfile to playback-restart on a reused handle) in the same run.
#include "playback/media_player.h"

#include "../tests/playback/local_http_server.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <clocale>

namespace {
quovi_test::LocalHttpServer* server = nullptr;
constexpr int kRestMs = 100;

QString stream_url() { return server->url(QStringLiteral("/tone.mp3")); }

// Runs the event loop until the player's status is the given text (or 20 s pass).
bool wait_for_status(MediaPlayer& player, const char* text) {
  if (player.status() == QLatin1String(text)) return true;
  QEventLoop loop;
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&player, &PlayerComponent::StatusChange, &loop, [&] {
    if (player.status() == QLatin1String(text)) loop.quit();
  });
  timeout.start(20000);
  loop.exec();
  return player.status() == QLatin1String(text);
}

void BM_ZapMediaPlayer(benchmark::State& state) {
  static MediaPlayer* player = [] {
    MediaPlayerOptions options;
    options.audio_output = QStringLiteral("null");
    auto* p = new MediaPlayer(options);
    p->setAutoStart(false);
    return p;
  }();
  for (auto _ : state) {
    state.PauseTiming();
    player->setURL(stream_url());
    state.ResumeTiming();
    player->play();
    if (!wait_for_status(*player, "Playing")) state.SkipWithError("never reached Playing");
    state.PauseTiming();
    player->setURL(QString());
    // Both runs rest alike between rounds, so neither starts from a warmer core.
    QEventLoop settle;
    QTimer::singleShot(kRestMs, &settle, &QEventLoop::quit);
    settle.exec();
    state.ResumeTiming();
  }
}

// Waits on the bare handle for an event of the given kind.
bool wait_for_event(mpv_handle* h, mpv_event_id id) {
  for (;;) {
    const mpv_event* e = mpv_wait_event(h, 20);
    if (e->event_id == id) return true;
    if (e->event_id == MPV_EVENT_NONE || e->event_id == MPV_EVENT_SHUTDOWN) return false;
    if (e->event_id == MPV_EVENT_END_FILE && id != MPV_EVENT_END_FILE) return false;
  }
}

void BM_ZapBareLibmpv(benchmark::State& state) {
  static mpv_handle* h = [] {
    mpv_handle* handle = mpv_create();
    for (auto [name, value] : {std::pair{"config", "no"}, {"terminal", "no"}, {"ytdl", "no"}, {"ao", "null"},
                               {"vo", "null"}, {"idle", "yes"}, {"osc", "no"}})
      mpv_set_option_string(handle, name, value);
    mpv_initialize(handle);
    return handle;
  }();
  const QByteArray url = stream_url().toUtf8();
  for (auto _ : state) {
    const char* load[] = {"loadfile", url.constData(), "replace", nullptr};
    mpv_command_async(h, 0, load);
    if (!wait_for_event(h, MPV_EVENT_PLAYBACK_RESTART)) state.SkipWithError("no playback-restart");
    state.PauseTiming();
    const char* stop[] = {"stop", nullptr};
    mpv_command(h, stop);
    wait_for_event(h, MPV_EVENT_IDLE);
    QThread::msleep(kRestMs);
    state.ResumeTiming();
  }
}

void configure(benchmark::internal::Benchmark* b) {
  b->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
}
}  // namespace

BENCHMARK(BM_ZapBareLibmpv)->Apply(configure);
BENCHMARK(BM_ZapMediaPlayer)->Apply(configure);

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QFile tone(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../tests/data/playback/tone.mp3"));
  if (!tone.open(QIODevice::ReadOnly)) return 1;
  quovi_test::LocalHttpServer local_server;
  local_server.serve("/tone.mp3", tone.readAll(), "audio/mpeg");
  server = &local_server;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
