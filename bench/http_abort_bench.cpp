// How long Cancel takes to end a transfer that waits for the reply's headers (goal: under 100 ms).
#include "services/http_request.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

namespace {
void run_events_until(const std::function<bool()>& done) {
  while (!done()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    QThread::usleep(100);
  }
}

void BM_AbortWhileWaitingForHeaders(benchmark::State& state) {
  // A socket that listens and never accepts: the kernel completes the connection, the request goes
  // out and no reply ever comes.
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(listener, 128) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    state.SkipWithError("no local socket");
    return;
  }
  const QByteArray url = "http://127.0.0.1:" + QByteArray::number(ntohs(address.sin_port)) + "/service/get.php";
  for (auto _ : state) {
    HttpRequest request;
    request.get(url);
    QElapsedTimer settle;
    settle.start();
    run_events_until([&] { return settle.elapsed() >= 20; });  // connected, request sent
    QElapsedTimer clock;
    clock.start();
    request.abort();
    run_events_until([&] { return !request.running(); });
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
  }
  close(listener);
}
BENCHMARK(BM_AbortWhileWaitingForHeaders)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
