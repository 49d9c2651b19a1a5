// Reading a large extended M3U against its floor on the same bytes: one bare pass that finds every
// line end, measured interleaved with the reads; min and median of each. Goals: 100 k entries
// (about 16 MB) read well under a second, and the playlist read within 2 x the file's bytes in
// memory. peak_MB is how far the resident memory rose above its level before a read, at most.
//
// BM_CraftedAddresses: a list of addresses chosen to share the low bits of an unkeyed hash (the
// table's slot under the former fixed hash) against a list of ordinary addresses of the same form
// and count, read interleaved. Goal: crafted at most 3 x ordinary. Under the former hash the
// 4,000 took 3.3 x and the 52,000 about 2 x the ordinary ones (each address is also parsed as a
// URL, which the table never sped up).
//
// BM_ReadLargeFile: a Windows-1252 or a UTF-16 file just under the 64 MiB bound read from disk,
// as the start-up reads a copy. Goal: the peak at most 2 x the file's bytes, the file's bytes
// included (peak_ratio).
#include "catalogue/code_page.h"
#include "playlists/playlist_generator.h"
#include "playlists/playlist_lines.h"
#include "playlists/playlist_reader.h"

#include "process_memory.h"
#include "repetitions.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QFile>
#include <QString>
#include <QTemporaryDir>

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
// Addresses "http://s/<n>/live.m3u8", every one, or only those whose unkeyed hash has its low
// `bits` at zero: under the former table all of them fell on a few neighbouring slots.
std::string address_list(size_t count, int bits) {
  const size_t mask = (size_t{1} << bits) - 1;
  std::string text = "#EXTM3U\n";
  for (size_t n = 0, found = 0; found < count; ++n) {
    const std::string address = "http://s/" + std::to_string(n) + "/live.m3u8";
    if (bits > 0 && (std::hash<std::string_view>{}(address) & mask) != 0) continue;
    text += address + "\n";
    ++found;
  }
  return text;
}

void BM_CraftedAddresses(benchmark::State& state) {
  const auto count = static_cast<size_t>(state.range(0));
  const std::string crafted = address_list(count, static_cast<int>(state.range(1))), ordinary = address_list(count, 0);
  std::vector<double> crafted_reads, ordinary_reads;
  size_t entries = 0;
  for (auto _ : state) {
    for (const bool hostile : {true, false}) {
      std::string copy = hostile ? crafted : ordinary;
      Playlist playlist;
      (hostile ? crafted_reads : ordinary_reads).push_back(seconds_of([&] { playlist = read_playlist(std::move(copy)); }));
      entries = playlist.entries.size();
    }
  }
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["file_KB"] = static_cast<double>(crafted.size()) / 1e3;
  state.counters["crafted_min_ms"] = bench::minimum(crafted_reads) * 1e3;
  state.counters["crafted_med_ms"] = bench::median(crafted_reads) * 1e3;
  state.counters["ordinary_min_ms"] = bench::minimum(ordinary_reads) * 1e3;
  state.counters["ordinary_med_ms"] = bench::median(ordinary_reads) * 1e3;
  state.counters["ratio_min"] = bench::minimum(crafted_reads) / bench::minimum(ordinary_reads);
  state.counters["ratio_med"] = bench::median(crafted_reads) / bench::median(ordinary_reads);
}

// The generated list in Windows-1252 (0) or UTF-16 (1), cut just under the bound.
std::string large_file_bytes(int encoding) {
  if (encoding == 0) {
    std::string bytes = utf8_to_cp1252(generate_extended_m3u(430'000, 11));
    bytes.resize(std::min(bytes.size(), kMaxPlaylistBytes));
    return bytes;
  }
  const QString text = QString::fromStdString(generate_extended_m3u(215'000, 12));
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(text.utf16()), static_cast<size_t>(text.size()) * 2);
  bytes.resize(std::min(bytes.size(), kMaxPlaylistBytes) & ~size_t{1});
  return bytes;
}

void BM_ReadLargeFile(benchmark::State& state) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("large.m3u"));
  size_t file_bytes = 0;
  {
    const std::string bytes = large_file_bytes(static_cast<int>(state.range(0)));
    file_bytes = bytes.size();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
      state.SkipWithError("the file could not be written");
      return;
    }
  }
  std::vector<double> reads, peaks;
  size_t entries = 0;
  for (auto _ : state) {
    malloc_trim(0);
    const size_t rss_before = bench::status_kib("VmRSS");
    bench::reset_peak_rss();
    reads.push_back(seconds_of([&] { entries = read_playlist_file(path).entries.size(); }));
    peaks.push_back(static_cast<double>(bench::status_kib("VmHWM") - rss_before) * 1024);
  }
  state.counters["file_MB"] = static_cast<double>(file_bytes) / 1e6;
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["read_min_ms"] = bench::minimum(reads) * 1e3;
  state.counters["read_med_ms"] = bench::median(reads) * 1e3;
  state.counters["peak_min_MB"] = bench::minimum(peaks) / 1e6;
  state.counters["peak_med_MB"] = bench::median(peaks) / 1e6;
  state.counters["peak_ratio"] = *std::max_element(peaks.begin(), peaks.end()) / static_cast<double>(file_bytes);
}
}  // namespace

// Fixed repetitions, so that min and median come from enough reads at every size.
BENCHMARK(BM_ReadPlaylist)->Arg(10'000)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlaylist)->Arg(100'000)->Iterations(15)->Unit(benchmark::kMillisecond)->UseRealTime();
// 4,000 addresses sharing 13 bits all fell on one slot of their table (8,192 slots); 52,000 sharing
// 12 bits on 32 of theirs (131,072): choosing more bits for more addresses costs minutes here.
BENCHMARK(BM_CraftedAddresses)->Args({4'000, 13})->Args({52'000, 12})->Iterations(9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadLargeFile)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
