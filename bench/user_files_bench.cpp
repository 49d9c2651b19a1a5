#include "catalogue/user_files.h"
#include "generated_catalogue.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The close-time write with 10k channels of the user's beside a catalogue of 100k.
static void BM_SaveUserFiles(benchmark::State& bench_state) {
  QTemporaryDir folder;
  AppState state;
  state.app_data = folder.path();
  state.user_files_loaded = true;
  state.catalogue.info = bench::generated_catalogue(110000);
  for (size_t k = 0; k < 10000; ++k) {
    TItem& item = state.catalogue.info.channels[k * 11];
    item.usdef = 1;
    item.id = 100001 + static_cast<int32_t>(k);
  }
  for (auto _ : bench_state) benchmark::DoNotOptimize(save_user_files(state));
}
BENCHMARK(BM_SaveUserFiles)->Unit(benchmark::kMillisecond);

static void BM_LoadUserChannels(benchmark::State& bench_state) {
  QTemporaryDir folder;
  AppState state;
  state.app_data = folder.path();
  state.user_files_loaded = true;
  state.catalogue.info = bench::generated_catalogue(10000);
  for (TItem& item : state.catalogue.info.channels) item.usdef = 1;
  save_user_files(state);
  for (auto _ : bench_state) {
    state.catalogue.info.channels.clear();
    load_user_channels(state);
    benchmark::DoNotOptimize(state.catalogue.info.channels.data());
  }
}
BENCHMARK(BM_LoadUserChannels)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
