// The channel list over a million channels: a rebuild's row-count change and the painting of a
// screenful of rows must not depend on the number of rows.
#include "shell/channel_table_model.h"
#include "shell/main_window.h"

#include "widget_benchmark_main.h"

#include <QApplication>
#include <QTableView>
#include <benchmark/benchmark.h>

#include <numeric>

namespace {
AppState& big_state(int channels) {
  static AppState state;
  if (static_cast<int>(state.catalogue.channels.size()) != channels) {
    state = AppState{};
    state.catalogue.filter.group_id = 1;
    state.catalogue.genres.push_back({1, ShortText::from_text(QStringLiteral("News"))});
    state.catalogue.channels.resize(channels);
    for (int i = 0; i < channels; ++i) {
      Channel& ch = state.catalogue.channels[i];
      ch.id = i;
      ch.name = ShortText::from_text(QStringLiteral("Channel %1").arg(i));
      ch.genre_id = 1;
      ch.group_id = kGroupTV;
      ch.type_id = 1;
      ch.average_rating = (i % 500) / 100.0;
      ch.status = i % 6;
      ch.user_defined = i % 50 == 0;
      ch.comment = to_packed(QStringLiteral("comment %1").arg(i));
    }
    state.visible.resize(channels);
    std::iota(state.visible.begin(), state.visible.end(), 0);
  }
  return state;
}

void BM_RebuildView(benchmark::State& bench) {
  AppState& state = big_state(static_cast<int>(bench.range(0)));
  MainWindow window(state);
  window.show();
  for (auto _ : bench) {
    window.rebuild_view();
    QCoreApplication::processEvents();
  }
  bench.counters["rows"] = window.model()->rowCount();
}
BENCHMARK(BM_RebuildView)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_PaintScreenful(benchmark::State& bench) {
  AppState& state = big_state(static_cast<int>(bench.range(0)));
  MainWindow window(state);
  window.rebuild_view();
  window.show();
  QTableView* list = window.channel_list();
  int row = 0;
  if (window.model()->rowCount() == 0) {
    bench.SkipWithError("no rows");
    return;
  }
  for (auto _ : bench) {
    row = (row + 7919) % window.model()->rowCount();
    list->scrollTo(window.model()->index(row, 0));
    benchmark::DoNotOptimize(list->viewport()->grab());
  }
}
BENCHMARK(BM_PaintScreenful)->Arg(1000000)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) { return bench::run_widget_benchmarks(argc, argv); }
