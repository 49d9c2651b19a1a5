#include "playlists/playlist_generator.h"

#include <array>
#include <string_view>

namespace {
// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t below(size_t n) { return static_cast<size_t>(next() % n); }

 private:
  uint64_t state_;
};

constexpr std::array<std::string_view, 12> kWords = {"News", "Sport",    "Кино",   "Музыка", "Ειδήσεις", "أخبار",
                                                     "新闻", "ニュース", "Cinéma", "Música", "Kids",     "Live"};
constexpr std::array<std::string_view, 6> kCountries = {"uk", "de", "fr", "ru", "gr", "jp"};
constexpr std::array<std::string_view, 3> kHosts = {"https://live.example.org/", "http://198.51.100.7:8080/",
                                                    "https://cdn.example.net/hls/"};
}  // namespace

std::string generate_extended_m3u(size_t entries, uint64_t seed) {
  Random random(seed);
  std::string out = "#EXTM3U url-tvg=\"https://guide.example.org/epg.xml.gz\"\n";
  out.reserve(entries * 160 + out.size());
  for (size_t i = 0; i < entries; ++i) {
    const std::string_view word = kWords[random.below(kWords.size())];
    const std::string_view country = kCountries[random.below(kCountries.size())];
    const std::string number = std::to_string(i);
    const std::string name = std::string(word) + " " + number + (random.below(4) == 0 ? " HD" : "");
    const bool radio = random.below(10) == 0;
    out += "#EXTINF:-1";
    if (random.below(3) == 0)
      out.append(" tvg-id=\"").append(word).append(number).append(".").append(country).append("\"");
    out.append(" tvg-name=\"").append(name).append("\"");
    // Most entries of real lists name their country by its code ("uk" being the common slip for GB).
    if (i % 5 != 0) {
      std::string code(country);
      for (char& c : code) c = static_cast<char>(c - 'a' + 'A');
      out.append(" tvg-country=\"").append(code).append("\"");
    }
    if (random.below(2) == 0)
      out.append(" tvg-logo=\"https://logo.example.org/").append(country).append("/").append(number).append(".png\"");
    out.append(" group-title=\"")
        .append(kWords[random.below(kWords.size())])
        .append(" ")
        .append(std::to_string(random.below(17)))
        .append("\"");
    if (radio) out += " radio=\"true\"";
    out.append(",").append(name).append("\n");
    if (random.below(20) == 0) out += "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11; Linux x86_64)\n";
    out.append(kHosts[random.below(kHosts.size())])
        .append(country)
        .append("/")
        .append(number)
        .append(radio ? "/stream.mp3\n" : "/index.m3u8\n");
  }
  return out;
}
