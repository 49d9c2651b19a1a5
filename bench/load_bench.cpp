// The channel database load at 212 k and 1 M channels against its floor: the same file decrypted
// and inflated with nothing but OpenSSL and zlib. Goals:
//   load <= 1.25 x floor (least against least, median against median);
//   peak memory growth while loading <= 1.25 x the memory the loaded catalogue keeps;
//   memory the loaded catalogue keeps <= 2 x the uncompressed member bytes.
//
// The floor is the least work any loader of this file must do: AES-128-CBC over the whole file with
// EVP (and the tail rule of the file layer), then a raw inflate of every member's deflate data,
// found by walking the archive's local headers, into one output buffer used again for every member
// and run. No minizip, no CRC, no copying through a small buffer, no zero-filled memory.
//
// Each repetition takes the floor, the load of the file as start-up does it
// (load_channel_database) and the load of the same bytes from memory as after a download
// (load_channel_database_bytes), in an order that rotates from one repetition to the next, so that
// all three see the same machine. Times are wall-clock: the loader may use more than one core.
// Before every step the memory it takes is at hand (backed_memory.h), as the floor's buffer is.
// kept_heap_MB is the heap in use after a load of the file less before it; kept_rss_MB the same of
// the resident memory with the freed heap given back, which also counts the texts' arena chunks
// that the heap does not see. kept_MB, the base of both memory goals, is the larger of the two.
// peak_MB is how far the resident memory rose above its level before that load, at most.
#include "generated_channel_file.h"
#include "repetitions.h"

#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_database.h"

#include <QFile>
#include <QTemporaryDir>

#include "backed_memory.h"
#include "process_memory.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
// The machine's own noise (another process, the host) lands on single steps: the median of many
// is what the goal is read from.
constexpr int kRepetitions = 11;

struct Sample {
  std::string file;            // encrypted, as channels.dat
  size_t member_bytes = 0;     // uncompressed
  size_t largest_member = 0;   // uncompressed
  std::unique_ptr<QTemporaryDir> app_data;
  std::vector<int32_t> favorites;
};

const Sample& sample(size_t channels) {
  static std::map<size_t, Sample> cache;
  auto it = cache.find(channels);
  if (it != cache.end()) return it->second;
  Sample s;
  const std::vector<ZipMember> members = generate_catalogue_members(bench::catalogue_options(channels));
  s.member_bytes = bench::member_bytes(members);
  for (const ZipMember& m : members) s.largest_member = std::max(s.largest_member, m.content.size());
  s.file = bench::channel_file_of(members);
  s.app_data = std::make_unique<QTemporaryDir>();
  ensure_catalogue_folder(s.app_data->path());
  QFile out(channels_path(s.app_data->path()));
  if (!out.open(QIODevice::WriteOnly) ||
      out.write(s.file.data(), static_cast<qint64>(s.file.size())) != static_cast<qint64>(s.file.size()))
    throw std::runtime_error("cannot write the benchmark catalogue");
  for (int32_t id = 1; id < 2000; id += 7) s.favorites.push_back(id);
  return cache.emplace(channels, std::move(s)).first->second;
}

// ---- The floor

// The file layer's key (its 12 characters of key material and four NULs) and initialisation vector.
constexpr unsigned char kKey[16] = {'r', 'o', 'l', 'v', 'e', 't', 'q', 'a', '.', 'd', 'a', 't', 0, 0, 0, 0};
constexpr unsigned char kIv[16] = {'q', 'z', 'r', 'm', 't', 'w', 'n', 'b', 'k', 'd', 'v', 'l', 'x', 'p', 'f', 'h'};

void decrypt_in_place(std::string& bytes) {
  auto* data = reinterpret_cast<unsigned char*>(bytes.data());
  const size_t whole = bytes.size() / 16 * 16;
  unsigned char previous[16];
  std::memcpy(previous, whole > 0 ? data + whole - 16 : kIv, 16);
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  bool ok = ctx && EVP_DecryptInit_ex(ctx, EVP_aes_128_cbc(), nullptr, kKey, kIv) == 1 &&
            EVP_CIPHER_CTX_set_padding(ctx, 0) == 1;
  for (size_t done = 0; ok && done < whole;) {
    const int slice = static_cast<int>(std::min<size_t>(whole - done, size_t{1} << 30));
    int written = 0;
    ok = EVP_DecryptUpdate(ctx, data + done, &written, data + done, slice) == 1 && written == slice;
    done += static_cast<size_t>(slice);
  }
  if (ok && whole < bytes.size()) {
    unsigned char stream[16];
    int written = 0;
    ok = EVP_EncryptInit_ex(ctx, EVP_aes_128_ecb(), nullptr, kKey, nullptr) == 1 &&
         EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 && EVP_EncryptUpdate(ctx, stream, &written, previous, 16) == 1;
    for (size_t i = whole; i < bytes.size(); ++i) data[i] ^= stream[i - whole];
  }
  EVP_CIPHER_CTX_free(ctx);
  if (!ok) throw std::runtime_error("floor: OpenSSL failed");
}

uint32_t le16(const unsigned char* p) { return p[0] | p[1] << 8; }
uint32_t le32(const unsigned char* p) { return le16(p) | le16(p + 2) << 16; }

// Inflates every deflated member in local header order into `out`; answers the bytes inflated.
size_t inflate_members(const std::string& zip, std::vector<unsigned char>& out) {
  constexpr uint32_t kLocalHeader = 0x04034b50, kDataDescriptor = 0x08074b50;
  const auto* p = reinterpret_cast<const unsigned char*>(zip.data());
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::runtime_error("floor: zlib failed");
  size_t at = 0, inflated = 0;
  while (at + 30 <= zip.size() && le32(p + at) == kLocalHeader) {
    const uint32_t flags = le16(p + at + 6), method = le16(p + at + 8), packed = le32(p + at + 18);
    const size_t data = at + 30 + le16(p + at + 26) + le16(p + at + 28);
    const bool sizes_follow = (flags & 8) != 0;
    if (data > zip.size() || packed == 0xFFFFFFFF) break;
    size_t consumed = packed;
    if (method == 8) {
      inflateReset(&z);
      z.next_in = const_cast<unsigned char*>(p + data);
      z.avail_in = static_cast<uInt>(sizes_follow ? zip.size() - data : packed);
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      if (inflate(&z, Z_FINISH) != Z_STREAM_END) break;
      consumed = z.total_in;
      inflated += z.total_out;
    } else if (method == 0) {
      inflated += packed;  // stored: the bytes are there already
    } else {
      break;
    }
    at = data + consumed;
    if (sizes_follow) at += at + 4 <= zip.size() && le32(p + at) == kDataDescriptor ? 16 : 12;
  }
  inflateEnd(&z);
  return inflated;
}

struct FloorTimes {
  double decrypt_ms = 0;
  double inflate_ms = 0;
};

FloorTimes run_floor(const Sample& s, std::vector<unsigned char>& out) {
  std::string bytes = s.file;
  FloorTimes t;
  size_t inflated = 0;
  t.decrypt_ms = bench::milliseconds_of([&] { decrypt_in_place(bytes); });
  t.inflate_ms = bench::milliseconds_of([&] { inflated = inflate_members(bytes, out); });
  // A floor that skipped work would flatter nothing but itself; it must see every member byte.
  if (inflated != s.member_bytes) throw std::runtime_error("floor: the archive walk missed members");
  return t;
}

// ---- Memory

size_t heap_in_use() {
  const struct mallinfo2 info = mallinfo2();  // all arenas
  return info.uordblks + info.hblkhd;
}

// ---- The benchmark

void BM_Load(benchmark::State& state) {
  const Sample& s = sample(static_cast<size_t>(state.range(0)));
  std::vector<unsigned char> out(s.largest_member);
  std::memset(out.data(), 0, out.size());  // its pages are in place before the first floor
  std::vector<double> floors, decrypts, inflates, loads, byte_loads;
  double kept = 0, kept_heap = 0, kept_rss = 0, peak = 0;

  // Freeing a catalogue leaves the allocator work it would otherwise do inside the next step.
  // Each step then finds the memory it takes at hand (backed_memory.h): a little more than a load
  // needs at its peak.
  const size_t at_hand = s.file.size() + s.member_bytes * 5 / 2;
  const auto settle = [&] {
    malloc_trim(0);
    bench::have_memory_at_hand(at_hand);
  };
  const std::function<void()> steps[] = {
      [&] {
        settle();
        const FloorTimes t = run_floor(s, out);
        decrypts.push_back(t.decrypt_ms);
        inflates.push_back(t.inflate_ms);
        floors.push_back(t.decrypt_ms + t.inflate_ms);
      },
      [&] {
        Catalogue info;
        settle();
        const size_t heap_before = heap_in_use();
        const size_t rss_before = bench::status_kib("VmRSS");
        bench::reset_peak_rss();
        loads.push_back(bench::milliseconds_of([&] { load_channel_database(info, s.favorites, s.app_data->path()); }));
        peak = std::max(peak, (static_cast<double>(bench::status_kib("VmHWM")) - static_cast<double>(rss_before)) * 1024);
        kept_heap = static_cast<double>(heap_in_use()) - static_cast<double>(heap_before);
        settle();
        kept_rss = (static_cast<double>(bench::status_kib("VmRSS")) - static_cast<double>(rss_before)) * 1024;
        kept = std::max(kept_heap, kept_rss);
        benchmark::DoNotOptimize(info.channels.data());
        info = Catalogue();
        settle();
      },
      [&] {
        Catalogue info;
        std::string bytes = s.file;
        settle();
        byte_loads.push_back(
            bench::milliseconds_of([&] { load_channel_database_bytes(info, s.favorites, std::move(bytes)); }));
        benchmark::DoNotOptimize(info.channels.data());
        info = Catalogue();
        settle();
      },
  };
  for (auto _ : state) {
    for (int repetition = 0; repetition < kRepetitions; ++repetition)
      for (size_t k = 0; k < std::size(steps); ++k) steps[(repetition + k) % std::size(steps)]();
  }

  using bench::median;
  using bench::minimum;
  const double members = static_cast<double>(s.member_bytes);
  state.counters["file_MB"] = static_cast<double>(s.file.size()) / 1e6;
  state.counters["members_MB"] = members / 1e6;
  state.counters["floor_min_ms"] = minimum(floors);
  state.counters["floor_med_ms"] = median(floors);
  state.counters["decrypt_min_ms"] = minimum(decrypts);
  state.counters["inflate_min_ms"] = minimum(inflates);
  state.counters["load_min_ms"] = minimum(loads);
  state.counters["load_med_ms"] = median(loads);
  state.counters["load_ratio_min"] = minimum(loads) / minimum(floors);
  state.counters["load_ratio_med"] = median(loads) / median(floors);
  state.counters["bytes_load_min_ms"] = minimum(byte_loads);
  state.counters["bytes_load_med_ms"] = median(byte_loads);
  state.counters["bytes_ratio_min"] = minimum(byte_loads) / minimum(floors);
  state.counters["bytes_ratio_med"] = median(byte_loads) / median(floors);
  state.counters["kept_MB"] = kept / 1e6;
  state.counters["kept_heap_MB"] = kept_heap / 1e6;
  state.counters["kept_rss_MB"] = kept_rss / 1e6;
  state.counters["kept_per_member_byte"] = kept / members;
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["peak_per_kept"] = peak / kept;
}
}  // namespace

// One run per size; the repetitions are inside it, so that floor and loads interleave.
BENCHMARK(BM_Load)->Arg(212'000)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
