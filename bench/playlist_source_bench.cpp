// A playlist source joining the channel list, against a floor measured in the same run on the same
// bytes (one bare pass that finds every line end); min and median of each.
//
// BM_SourceShown: a 100 k-entry extended M3U (about 15 MB) read from a local file, made into
// channels and sorted alone in the list's order (the worker thread's part), then merged into the
// list and the view built (the GUI thread's part, which stalls the window); with catalogues of 0,
// 100 k and 212 k channels. Goals: the whole within 1 s, the GUI part within
// 50 ms, and the channels within 2 x the file's bytes in memory (memory_ratio).
//
// BM_TablesAttached: the countries and genres of the channels of a 100 k-entry source matched to
// the 212 k catalogue's tables, as every join does, against the view build of the same list.
//
// BM_CatalogueWithSource: the catalogue's own sort by name and view rebuild with and without a
// 100 k-entry source beside it; with_source_ratio says what the source adds to them.
#include "generated_catalogue.h"
#include "repetitions.h"
#include "playlists/playlist_channels.h"
#include "playlists/playlist_generator.h"
#include "playlists/playlist_lines.h"
#include "playlists/playlist_reader.h"
#include "views/sorting.h"
#include "views/view_builder.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {
constexpr size_t kEntries = 100'000;

const std::string& sample() {
  static const std::string made = generate_extended_m3u(kEntries, 2026);
  return made;
}

size_t heap_in_use() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

using bench::median;
using bench::minimum;

double seconds_of(const std::function<void()>& work) { return bench::milliseconds_of(work) / 1e3; }

size_t count_lines(const std::string& bytes) {
  size_t lines = 0;
  playlist_lines::for_each_line(bytes, [&](size_t, std::string_view) { ++lines; });
  return lines;
}

void put_counters(benchmark::State& state, const char* name, const std::vector<double>& values) {
  state.counters[std::string(name) + "_min_ms"] = minimum(values) * 1e3;
  state.counters[std::string(name) + "_med_ms"] = median(values) * 1e3;
}

// The largest catalogue the benchmarks run with: the size of the published one.
constexpr int kLargestCatalogue = 212'000;

// The list of a first start with the generated catalogue in the TV view.
void start_state(ChannelListState& state, int catalogue_size) {
  static const Catalogue original = bench::generated_catalogue(kLargestCatalogue);
  state = ChannelListState{};
  state.catalogue.channels.assign(original.channels.begin(), original.channels.begin() + catalogue_size);
  state.catalogue.genres = original.genres;
  state.catalogue.filter.group_id = kGroupTV;
  sort_after_load(state);
  build_visible_list(state);
}

void BM_SourceShown(benchmark::State& state) {
  const int catalogue_size = static_cast<int>(state.range(0));
  const std::string& bytes = sample();
  QTemporaryDir dir;
  const QString path = dir.path() + QStringLiteral("/list.m3u");
  std::ofstream(path.toStdString(), std::ios::binary) << bytes;
  PlaylistSource source;
  source.id = 1;
  std::vector<double> totals, workers, guis, floors;
  size_t channel_bytes = 0, channels = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ChannelListState list;
    LoadedSources loaded;
    start_state(list, catalogue_size);
    malloc_trim(0);
    const size_t before = heap_in_use();
    state.ResumeTiming();
    SourceChannels made;
    const double worker = seconds_of([&] {
      Playlist playlist = read_playlist_file(path);
      made = channels_of_playlist(playlist, source, {});
      ready_to_join(made, list.last_sort_column, list.sort_flag, list.catalogue.channels.size());
    });
    LeftBehind left;
    const double gui = seconds_of([&] {
      left = join_source_channels(list.catalogue, loaded, std::move(made), list.last_sort_column, list.sort_flag);
      build_visible_list(list);
    });
    left = {};
    state.PauseTiming();
    malloc_trim(0);
    channel_bytes = heap_in_use() - before - list.visible.capacity() * sizeof(int);
    channels = playlist_channels_of(list.catalogue.channels).size();
    workers.push_back(worker);
    guis.push_back(gui);
    totals.push_back(worker + gui);
    size_t lines = 0;
    floors.push_back(seconds_of([&] { lines = count_lines(bytes); }));
    benchmark::DoNotOptimize(lines);
    state.ResumeTiming();
  }
  state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
  state.counters["channels"] = static_cast<double>(channels);
  state.counters["memory_ratio"] = static_cast<double>(channel_bytes) / static_cast<double>(bytes.size());
  put_counters(state, "floor", floors);
  put_counters(state, "total", totals);
  put_counters(state, "worker", workers);
  put_counters(state, "gui", guis);
  state.counters["total_ratio_med"] = median(totals) / median(floors);
  state.counters["gui_ratio_med"] = median(guis) / median(floors);
}

void BM_CatalogueWithSource(benchmark::State& state) {
  const int catalogue_size = static_cast<int>(state.range(0));
  PlaylistSource source;
  source.id = 1;
  static const SourceChannels made = [&] {
    return channels_of_playlist(read_playlist(sample()), source, {});
  }();
  std::vector<double> sort_alone, sort_with, build_alone, build_with;
  for (auto _ : state) {
    state.PauseTiming();
    ChannelListState alone, with;
    LoadedSources loaded;
    start_state(alone, catalogue_size);
    start_state(with, catalogue_size);
    replace_source_channels(with.catalogue, loaded, made);
    state.ResumeTiming();
    sort_alone.push_back(seconds_of([&] { sort_after_load(alone); }));
    sort_with.push_back(seconds_of([&] { sort_after_load(with); }));
    build_alone.push_back(seconds_of([&] { build_visible_list(alone); }));
    build_with.push_back(seconds_of([&] { build_visible_list(with); }));
  }
  put_counters(state, "sort_alone", sort_alone);
  put_counters(state, "sort_with", sort_with);
  put_counters(state, "build_alone", build_alone);
  put_counters(state, "build_with", build_with);
  state.counters["sort_with_source_ratio"] = median(sort_with) / median(sort_alone);
  state.counters["build_with_source_ratio"] = median(build_with) / median(build_alone);
}
// What matching the sources' countries and genres to the catalogue's tables costs each join, beside
// the view build of the same list (the floor).
void BM_TablesAttached(benchmark::State& state) {
  const int catalogue_size = static_cast<int>(state.range(0));
  PlaylistSource source;
  source.id = 1;
  static const SourceChannels made = [&] { return channels_of_playlist(read_playlist(sample()), source, {}); }();
  ChannelListState list;
  LoadedSources loaded;
  start_state(list, catalogue_size);
  replace_source_channels(list.catalogue, loaded, made);
  std::vector<double> attach, floors;
  for (auto _ : state) {
    attach.push_back(seconds_of([&] { attach_source_tables(list.catalogue); }));
    floors.push_back(seconds_of([&] { build_visible_list(list); }));
  }
  put_counters(state, "attach", attach);
  put_counters(state, "floor", floors);
  state.counters["attach_ratio_med"] = median(attach) / median(floors);
}
}  // namespace

BENCHMARK(BM_TablesAttached)->Arg(kLargestCatalogue)->Iterations(9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SourceShown)->Arg(0)->Arg(100'000)->Arg(kLargestCatalogue)->Iterations(9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatalogueWithSource)->Arg(100'000)->Arg(kLargestCatalogue)->Iterations(9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
