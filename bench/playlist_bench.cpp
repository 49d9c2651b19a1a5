// Reading a large extended M3U against its floor on the same bytes: one bare pass that finds every
// line end, measured interleaved with the reads; min and median of each. Goals: 100 k entries
// (about 16 MB) read well under a second, and the playlist read within 2 x the file's bytes in
// memory. peak_MB is how far the resident memory rose above its level before a read, at most.
#include "playlists/playlist_generator.h"
#include "playlists/playlist_lines.h"
#include "playlists/playlist_reader.h"

#include "process_memory.h"
#include "repetitions.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {
const std::string& sample(size_t entries) {
  static std::map<size_t, std::string> made;
  auto it = made.find(entries);
  if (it == made.end()) it = made.emplace(entries, generate_extended_m3u(entries, 2026)).first;
  return it->second;
}

size_t heap_in_use() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// CPU seconds (user and system, so page faults count): on a shared machine they vary far less
// than wall-clock time.
double cpu_seconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double seconds_of(const std::function<void()>& work) {
  const double start = cpu_seconds();
  work();
  return cpu_seconds() - start;
}

// The floor: every line end of the bytes found, nothing else done.
size_t count_lines(const std::string& bytes) {
  size_t lines = 0;
  playlist_lines::for_each_line(bytes, [&](size_t, std::string_view) { ++lines; });
  return lines;
}

void BM_ReadPlaylist(benchmark::State& state) {
  const std::string& bytes = sample(static_cast<size_t>(state.range(0)));
  std::vector<double> reads, floors;
  size_t playlist_bytes = 0, peak_growth_kib = 0, entries = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string copy = bytes;
    malloc_trim(0);
    // The copy handed to the reader is its own; what it keeps of it counts as the playlist's.
    const size_t before = heap_in_use() - copy.capacity();
    const size_t rss_before = bench::status_kib("VmRSS");
    bench::reset_peak_rss();
    Playlist playlist;
    state.ResumeTiming();
    reads.push_back(seconds_of([&] { playlist = read_playlist(std::move(copy)); }));
    state.PauseTiming();
    peak_growth_kib = std::max(peak_growth_kib, bench::status_kib("VmHWM") - rss_before);
    playlist_bytes = heap_in_use() - before;
    entries = playlist.entries.size();
    playlist = Playlist();
    malloc_trim(0);
    size_t lines = 0;
    floors.push_back(seconds_of([&] { lines = count_lines(bytes); }));
    benchmark::DoNotOptimize(lines);
    state.ResumeTiming();
  }
  state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["playlist_MB"] = static_cast<double>(playlist_bytes) / 1e6;
  state.counters["memory_ratio"] = static_cast<double>(playlist_bytes) / static_cast<double>(bytes.size());
  state.counters["peak_MB"] = static_cast<double>(peak_growth_kib) * 1024 / 1e6;
  state.counters["floor_min_ms"] = bench::minimum(floors) * 1e3;
  state.counters["floor_med_ms"] = bench::median(floors) * 1e3;
  state.counters["read_min_ms"] = bench::minimum(reads) * 1e3;
  state.counters["read_med_ms"] = bench::median(reads) * 1e3;
  state.counters["ratio_min"] = bench::minimum(reads) / bench::minimum(floors);
  state.counters["ratio_med"] = bench::median(reads) / bench::median(floors);
}
}  // namespace

// Fixed repetitions, so that min and median come from enough reads at every size.
BENCHMARK(BM_ReadPlaylist)->Arg(10'000)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlaylist)->Arg(100'000)->Iterations(15)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
