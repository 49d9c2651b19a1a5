#include "generated_catalogue.h"
#include "views/sorting.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {
const Catalogue& catalogue_of(int count) {
  static std::map<int, Catalogue> made;
  auto it = made.find(count);
  if (it == made.end()) it = made.emplace(count, bench::generated_catalogue(count)).first;
  return it->second;
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
  state.SetLabel(std::string(column == 0 ? "Channel" : column == 1 ? "Genre" : column == 2 ? "Rating" : column == 3 ? "Bitrate" : "Comments") +
                 (flag ? " flag true" : " flag false"));
}

void columns(benchmark::internal::Benchmark* b) {
  for (int count : {100000, 1000000})
    for (int column = 0; column <= 4; ++column) b->Args({count, column, 0});
  b->Args({1000000, 0, 1});
  b->Args({1000000, 3, 1});
}
}  // namespace

BENCHMARK(BM_SortColumn)->Apply(columns)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
