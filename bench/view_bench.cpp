#include "generated_catalogue.h"
#include "views/sorting.h"
#include "views/view_builder.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {
ChannelListState& state_of(int count) {
  static std::map<int, ChannelListState> made;
  auto it = made.find(count);
  if (it == made.end()) {
    it = made.emplace(count, ChannelListState{}).first;
    it->second.catalogue = bench::generated_catalogue(count);
    sort_after_load(it->second);
  }
  return it->second;
}

// Arguments: channel count, view (0 Favorites, 1 TV, 2 Radio, 3 Video), name criterion on.
void BM_RebuildView(benchmark::State& bench_state) {
  ChannelListState& state = state_of(static_cast<int>(bench_state.range(0)));
  ChannelFilter& f = state.catalogue.filter;
  f = ChannelFilter{};
  f.group_id = static_cast<uint16_t>(bench_state.range(1));
  f.favorited = f.group_id == 0 ? 1 : 0;
  f.name_flag = bench_state.range(2) != 0;
  f.name = QStringLiteral("Jazz");
  for (auto _ : bench_state) benchmark::DoNotOptimize(rebuild_view(state).row_count);
  bench_state.counters["rows"] = static_cast<double>(state.visible.size());
}

void views(benchmark::internal::Benchmark* b) {
  for (int count : {100000, 1000000})
    for (int view = 0; view <= 3; ++view)
      for (int name = 0; name <= 1; ++name) b->Args({count, view, name});
}
}  // namespace

BENCHMARK(BM_RebuildView)->Apply(views)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
