// Sorting by a list column: the sort alone (BM_SortColumn), then what a click on a column header
// costs in all: the sort and the rebuild of the visible list that follows it (BM_HeaderClick), and
// the same in the main window, with its list model reset and the next paint (BM_HeaderClickInWindow,
// MainWindow::sort_by_column). Every run starts from the same unsorted catalogue; the TV view is
// shown, as after a first start.
#include "generated_catalogue.h"
#include "shell/main_window.h"
#include "views/sorting.h"
#include "views/view_builder.h"

#include "widget_benchmark_main.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <map>

namespace {
const Catalogue& catalogue_of(int count) {
  static std::map<int, Catalogue> made;
  auto it = made.find(count);
  if (it == made.end()) it = made.emplace(count, bench::generated_catalogue(count)).first;
  return it->second;
}

const char* column_name(int column) {
  static const char* const names[] = {"Channel", "Genre", "Rating", "Bitrate", "Comments"};
  return names[column];
}

// Every run sorts the same unsorted catalogue in the ascending or descending direction.
void BM_SortColumn(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const int column = static_cast<int>(state.range(1));
  const bool flag = state.range(2) != 0;
  const Catalogue& original = catalogue_of(count);
  Catalogue info;
  for (auto _ : state) {
    state.PauseTiming();
    info.channels = original.channels;
    bool sort_flag = flag;
    int last = 0;
    state.ResumeTiming();
    sort_channels(info, count - 1, column, sort_flag, last);
    benchmark::DoNotOptimize(info.channels.data());
  }
  state.SetLabel(std::string(column_name(column)) + (flag ? " flag true" : " flag false"));
}

// The list state of a first start: the unsorted catalogue in the TV view.
void start_state(ChannelListState& state, const Catalogue& original) {
  state.catalogue.channels = original.channels;
  state.catalogue.genres = original.genres;
  state.catalogue.countries = original.countries;
  state.catalogue.filter = ChannelFilter{};
  state.catalogue.filter.group_id = kGroupTV;
  state.sort_flag = false;
  rebuild_view(state);
}

void BM_HeaderClick(benchmark::State& bench) {
  const int column = static_cast<int>(bench.range(1));
  const Catalogue& original = catalogue_of(static_cast<int>(bench.range(0)));
  ChannelListState state;
  for (auto _ : bench) {
    bench.PauseTiming();
    start_state(state, original);
    bench.ResumeTiming();
    if (sort_by_column_click(state, column)) benchmark::DoNotOptimize(rebuild_view(state).row_count);
  }
  bench.counters["rows"] = static_cast<double>(state.visible.size());
  bench.SetLabel(column_name(column));
}

void BM_HeaderClickInWindow(benchmark::State& bench) {
  const int column = static_cast<int>(bench.range(1));
  const Catalogue& original = catalogue_of(static_cast<int>(bench.range(0)));
  AppState state;
  start_state(state, original);
  MainWindow window(state);
  window.rebuild_view();
  window.show();
  QCoreApplication::processEvents();
  for (auto _ : bench) {
    bench.PauseTiming();
    start_state(state, original);
    window.rebuild_view();
    QCoreApplication::processEvents();
    bench.ResumeTiming();
    window.sort_by_column(column);
    QCoreApplication::processEvents();  // the list paints its first screenful again
  }
  bench.counters["rows"] = static_cast<double>(state.visible.size());
  bench.SetLabel(column_name(column));
}

void columns(benchmark::internal::Benchmark* b) {
  for (int count : {100000, 1000000})
    for (int column = 0; column <= 4; ++column) b->Args({count, column, 0});
  b->Args({1000000, 0, 1});
  b->Args({1000000, 3, 1});
}

void clicks(benchmark::internal::Benchmark* b) {
  for (int count : {100000, 1000000})
    for (int column = 0; column <= 4; ++column) b->Args({count, column});
}
}  // namespace

BENCHMARK(BM_SortColumn)->Apply(columns)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HeaderClick)->Apply(clicks)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_HeaderClickInWindow)->Apply(clicks)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv) { return bench::run_widget_benchmarks(argc, argv); }
