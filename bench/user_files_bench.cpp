#include "catalogue/user_files.h"
#include "generated_catalogue.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The close-time write with 10k channels of the user's beside a catalogue of 100k.
static void BM_SaveUserFiles(benchmark::State& bench_state) {
  QTemporaryDir folder;
  Catalogue catalogue = bench::generated_catalogue(110000);
  catalogue.app_data = folder.path();
  catalogue.user_files_loaded = true;
  for (size_t k = 0; k < 10000; ++k) {
    Channel& item = catalogue.channels[k * 11];
    item.user_defined = 1;
    item.id = 100001 + static_cast<int32_t>(k);
  }
  for (auto _ : bench_state) benchmark::DoNotOptimize(save_user_files(catalogue));
}
BENCHMARK(BM_SaveUserFiles)->Unit(benchmark::kMillisecond);

static void BM_LoadUserChannels(benchmark::State& bench_state) {
  QTemporaryDir folder;
  Catalogue catalogue = bench::generated_catalogue(10000);
  catalogue.app_data = folder.path();
  catalogue.user_files_loaded = true;
  for (Channel& item : catalogue.channels) item.user_defined = 1;
  save_user_files(catalogue);
  for (auto _ : bench_state) {
    catalogue.channels.clear();
    load_user_channels(catalogue);
    benchmark::DoNotOptimize(catalogue.channels.data());
  }
}
BENCHMARK(BM_LoadUserChannels)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
