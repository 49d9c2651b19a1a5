// The channel database load against its floor on the same file: decrypting alone and inflating
// alone, measured interleaved with the loads; min and median of each. Goals: load within 2 x
// (decrypt + inflate), and the loaded catalogue within 2 x the uncompressed member bytes in memory.
// peak_MB is how far the resident memory rose above its level before a load, at most.
#include "catalogue/catalogue_generator.h"
#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/channel_database.h"
#include "catalogue/zip_memory_reader.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr const char* kMembers[] = {"version.dat", "countries.dat", "genres.dat", "tv.dat", "radio.dat", "video.dat"};

struct Sample {
  std::string file;        // encrypted, as channels.dat
  std::string zip;         // the same decrypted
  size_t member_bytes = 0; // uncompressed
  std::unique_ptr<QTemporaryDir> app_data;
  std::vector<int32_t> favorites;
};

const Sample& sample(size_t channels) {
  static std::map<size_t, Sample> cache;
  auto it = cache.find(channels);
  if (it != cache.end()) return it->second;
  Sample s;
  GeneratorOptions options{channels * 3 / 10, channels * 6 / 10, 0, 2026};
  options.video = channels - options.tv - options.radio;
  for (const ZipMember& m : generate_catalogue_members(options)) s.member_bytes += m.content.size();
  s.zip = generate_catalogue_zip(options);
  s.file = encrypt_channel_file(s.zip);
  s.app_data = std::make_unique<QTemporaryDir>();
  ensure_catalogue_folder(s.app_data->path());
  QFile out(channels_path(s.app_data->path()));
  if (!out.open(QIODevice::WriteOnly) || out.write(s.file.data(), static_cast<qint64>(s.file.size())) != static_cast<qint64>(s.file.size()))
    throw std::runtime_error("cannot write the benchmark catalogue");
  for (int32_t id = 1; id < 2000; id += 7) s.favorites.push_back(id);
  return cache.emplace(channels, std::move(s)).first->second;
}

void inflate_all(const std::string& zip) {
  MemoryZipReader archive(zip);
  for (const char* name : kMembers) {
    if (!archive.locate(name)) continue;
    std::string content = read_archive_member(archive);
    benchmark::DoNotOptimize(content.data());
  }
}

size_t heap_in_use() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// CPU seconds (user and system, so page faults count): on a shared machine they vary far less
// than wall-clock time, and the ratio of load to floor is what the goal is about.
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

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double minimum(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// Resident memory of the process, now and at its peak since the peak was last reset (Linux).
size_t status_kib(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.rfind(prefix, 0) == 0) return std::stoul(line.substr(prefix.size()));
  return 0;
}

void reset_peak_rss() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_Load(benchmark::State& state) {
  const Sample& s = sample(static_cast<size_t>(state.range(0)));
  std::vector<double> loads, floors;
  size_t catalogue_bytes = 0;
  size_t peak_growth_kib = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Catalogue info;
    malloc_trim(0);
    const size_t before = heap_in_use();
    const size_t rss_before = status_kib("VmRSS");
    reset_peak_rss();
    state.ResumeTiming();
    loads.push_back(seconds_of([&] { load_channel_database(info, s.favorites, s.app_data->path()); }));
    state.PauseTiming();
    peak_growth_kib = std::max(peak_growth_kib, status_kib("VmHWM") - rss_before);
    catalogue_bytes = heap_in_use() - before;
    info = Catalogue();
    // Freeing a million records leaves the allocator work it would otherwise do inside the next
    // load; that is the cost of the old catalogue, not of loading.
    malloc_trim(0);
    // The floor on the same file, interleaved with the loads so that both see the same machine.
    std::string copy = s.file;
    malloc_trim(0);
    const double decrypt = seconds_of([&] { decrypt_channel_file_in_place(copy); });
    const double inflate = seconds_of([&] { inflate_all(copy); });
    floors.push_back(decrypt + inflate);
    state.ResumeTiming();
  }
  state.counters["file_MB"] = static_cast<double>(s.file.size()) / 1e6;
  state.counters["members_MB"] = static_cast<double>(s.member_bytes) / 1e6;
  state.counters["catalogue_MB"] = static_cast<double>(catalogue_bytes) / 1e6;
  state.counters["memory_ratio"] = static_cast<double>(catalogue_bytes) / static_cast<double>(s.member_bytes);
  state.counters["peak_MB"] = static_cast<double>(peak_growth_kib) * 1024 / 1e6;
  state.counters["floor_min_ms"] = minimum(floors) * 1e3;
  state.counters["floor_med_ms"] = median(floors) * 1e3;
  state.counters["load_min_ms"] = minimum(loads) * 1e3;
  state.counters["load_med_ms"] = median(loads) * 1e3;
  state.counters["ratio_min"] = minimum(loads) / minimum(floors);
  state.counters["ratio_med"] = median(loads) / median(floors);
}

void BM_Decrypt(benchmark::State& state) {
  const Sample& s = sample(static_cast<size_t>(state.range(0)));
  std::string copy;
  for (auto _ : state) {
    state.PauseTiming();
    copy = s.file;
    state.ResumeTiming();
    decrypt_channel_file_in_place(copy);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.file.size()));
}

void BM_Inflate(benchmark::State& state) {
  const Sample& s = sample(static_cast<size_t>(state.range(0)));
  for (auto _ : state) inflate_all(s.zip);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.member_bytes));
}
}  // namespace

// Fixed repetitions, so that min and median come from enough loads at every size.
BENCHMARK(BM_Load)->Arg(10'000)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load)->Arg(100'000)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load)->Arg(1'000'000)->Iterations(7)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Decrypt)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Inflate)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
