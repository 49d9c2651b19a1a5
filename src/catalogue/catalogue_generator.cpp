#include "catalogue/catalogue_generator.h"

#include "catalogue/base64_text.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/code_page.h"

#include <array>
#include <cstdio>
#include <charconv>
#include <cmath>

namespace {
// splitmix64: tiny, fast, and the same on every platform (unlike the standard distributions).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(next() % n); }
  int32_t between(int32_t low, int32_t high) { return low + static_cast<int32_t>(below(static_cast<size_t>(high - low + 1))); }
  bool chance(unsigned percent) { return below(100) < percent; }
  template <typename T, size_t N>
  const T& pick(const std::array<T, N>& items) { return items[below(N)]; }

 private:
  uint64_t state_;
};

// Word lists are UTF-8 here and Windows-1252 in the file.
constexpr std::array<const char*, 96> kCountryNames = {
    "Afghanistan", "Albania", "Algeria", "Andorra", "Angola", "Argentina", "Armenia", "Australia", "Austria",
    "Azerbaijan", "Bahamas", "Bahrain", "Bangladesh", "Belarus", "Belgium", "Bolivia", "Bosnia and Herzegovina",
    "Brazil", "Bulgaria", "Cameroon", "Canada", "Chile", "China", "Colombia", "Costa Rica", "Côte d'Ivoire",
    "Croatia", "Cuba", "Curaçao", "Cyprus", "Czechia", "Denmark", "Dominican Republic", "Ecuador", "Egypt",
    "Estonia", "Ethiopia", "Finland", "France", "Georgia", "Germany", "Ghana", "Greece", "Guatemala", "Honduras",
    "Hungary", "Iceland", "India", "Indonesia", "Iran", "Iraq", "Ireland", "Israel", "Italy", "Jamaica", "Japan",
    "Jordan", "Kazakhstan", "Kenya", "Latvia", "Lebanon", "Lithuania", "Luxembourg", "Malaysia", "Malta", "Mexico",
    "Moldova", "Monaco", "Morocco", "Nepal", "Netherlands", "New Zealand", "Nigeria", "Norway", "Pakistan",
    "Paraguay", "Peru", "Philippines", "Poland", "Portugal", "Qatar", "Réunion", "Romania", "Russia",
    "São Tomé and Príncipe", "Senegal", "Serbia", "Slovakia", "Slovenia", "Spain", "Sweden", "Switzerland",
    "Türkiye", "Ukraine", "United Kingdom", "Åland Islands"};

constexpr std::array<const char*, 20> kSyllables = {"ka", "lo", "mé", "ri", "sa", "tö", "va", "ne", "bu", "dor",
                                                     "fi", "gan", "hu", "ja", "ñu", "pé", "qua", "ré", "zø", "ti"};

constexpr std::array<const char*, 40> kGenreNames = {
    "Pop", "Rock", "Jazz", "Blues", "Classical", "Country", "Electronic", "Dance", "Hip Hop", "R&B", "Reggae",
    "Latin", "Folk", "Metal", "Punk", "Soul", "Funk", "Gospel", "Ambient", "Chanson française", "Schlager",
    "Música Mexicana", "Oldies", "Top 40", "News", "Talk", "Sports", "Kids", "Comedy", "Documentary", "Movies",
    "Series", "Music Videos", "Religious", "Education", "Weather", "Business", "Culture", "Local", "Variety"};

constexpr std::array<const char*, 12> kGenreQualifiers = {"Classic", "Modern", "Alternative", "Live", "Regional",
                                                          "Easy", "Hard", "Smooth", "Indie", "World", "Nu", "Über"};

constexpr std::array<const char*, 48> kNameWords = {
    "Radio", "Sound", "Wave", "City", "Star", "Musik", "Señal", "Café", "Zürich", "Kraków", "Øresund", "Ålborg",
    "Straße", "Français", "Élan", "Naïve", "Æther", "Œuvre", "Škoda", "Žilina", "€uro", "Nord", "Süd", "Ouest",
    "Plus", "Max", "Club", "Hits", "Classic", "Jazz", "Info", "Actualité", "Niños", "Fútbol", "Ciné", "Deluxe",
    "Metro", "Coast", "Valley", "Sunrise", "Midnight", "Groove", "Pulse", "Liberté", "Kultur", "Ísland", "Dansk",
    "Ñandú"};

constexpr std::array<const char*, 8> kTvKinds = {"TV", "Channel", "Télé", "HD", "News 24", "Sport", "Kino", "Kids"};
constexpr std::array<const char*, 8> kRadioKinds = {"FM", "Radio", "AM", "Web Radio", "Hits", "1", "2", "Live"};
constexpr std::array<const char*, 6> kVideoKinds = {"Clips", "On Demand", "Video", "Shorts", "Archive", "Vidéo"};

constexpr std::array<const char*, 10> kCommentWords = {"great", "stream", "qualité", "sometimes", "buffering",
                                                       "très bon", "música", "24/7", "ad-free", "Grüße"};
constexpr std::array<const char*, 6> kHosts = {"streamhost", "live-cdn", "icecast", "shoutcast", "mediaserv",
                                               "broadcast"};
constexpr std::array<const char*, 6> kTlds = {"com", "net", "org", "de", "fr", "es"};

std::string cp1252(const char* utf8) { return utf8_to_cp1252(utf8); }

// A word list converted to Windows-1252 once, not for every channel.
class Words {
 public:
  template <size_t N>
  explicit Words(const std::array<const char*, N>& utf8) {
    for (const char* word : utf8) words_.push_back(cp1252(word));
  }
  const std::string& pick(Random& random) const { return words_[random.below(words_.size())]; }

 private:
  std::vector<std::string> words_;
};

struct ChannelWords {
  Words names{kNameWords};
  Words tv{kTvKinds};
  Words radio{kRadioKinds};
  Words video{kVideoKinds};
  Words comments{kCommentWords};
};

std::string slug_of(std::string_view cp1252_name) {
  std::string slug;
  for (char c : cp1252_name) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) slug += c;
    else if (c >= 'A' && c <= 'Z') slug += static_cast<char>(c - 'A' + 'a');
    else if (!slug.empty() && slug.back() != '-') slug += '-';
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  return slug.empty() ? "channel" : slug;
}

std::string real_text(double value) {
  char buffer[64];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

struct Table {
  std::vector<int32_t> ids;
  std::string text;
};

// A country or genre table. Row 0 stands for all entries; the rows after it are numbered upwards
// from 1, each leaving a gap of up to `most_skipped` ids before the next, as the service's tables do.
class TableBuilder {
 public:
  TableBuilder(Random& random, const char* all_entries, size_t most_skipped)
      : random_(random), most_skipped_(most_skipped) {
    table_.ids.push_back(0);
    table_.text = std::string("0|") + all_entries + "\r\n";
  }
  void add(const std::string& name) {
    table_.ids.push_back(next_id_);
    table_.text += std::to_string(next_id_) + "|" + name + "\r\n";
    next_id_ += 1 + static_cast<int32_t>(random_.below(most_skipped_ + 1));
  }
  size_t size() const { return table_.ids.size(); }
  const Table& table() const { return table_; }

 private:
  Random& random_;
  size_t most_skipped_;
  Table table_;
  int32_t next_id_ = 1;
};

Table make_countries(Random& random) {
  TableBuilder countries(random, "All Countries", 2);
  for (const char* name : kCountryNames) countries.add(cp1252(name));
  while (countries.size() < 200) {
    std::string name;
    const size_t syllables = 2 + random.below(3);
    for (size_t i = 0; i < syllables; ++i) name += random.pick(kSyllables);
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
    countries.add(cp1252(name.c_str()) + (random.chance(30) ? " Republic" : ""));
  }
  return countries.table();
}

Table make_genres(Random& random) {
  TableBuilder genres(random, "All Genres", 1);
  for (const char* name : kGenreNames) genres.add(cp1252(name));
  for (size_t i = 0; genres.size() < 100; ++i)
    genres.add(cp1252(kGenreQualifiers[i % kGenreQualifiers.size()]) + " " +
               cp1252(kGenreNames[(i * 7) % kGenreNames.size()]));
  return genres.table();
}

struct Counts {
  int32_t workfine = 0, notworking = 0, wrong = 0, duplicate = 0, spam = 0;
};

// Picks the status first, then counts whose largest is that status' count.
Counts make_counts(Random& random) {
  Counts counts;
  const size_t roll = random.below(100);
  if (roll < 20) return counts;  // new
  int32_t* slots[] = {&counts.workfine, &counts.notworking, &counts.wrong, &counts.duplicate, &counts.spam};
  const size_t winner = roll < 60 ? 0 : roll < 75 ? 1 : roll < 85 ? 2 : roll < 93 ? 3 : 4;
  const int32_t top = random.between(1, 40);
  *slots[winner] = top;
  for (size_t i = 0; i < 5; ++i)
    if (i != winner && random.chance(40)) *slots[i] = random.between(0, top - 1);
  return counts;
}

std::string make_name(Random& random, const ChannelWords& words, int32_t group) {
  // Appended one piece at a time: the order of the random draws must not depend on the compiler.
  std::string name = words.names.pick(random);
  const auto add = [&](char separator, const std::string& piece) {
    name += separator;
    name += piece;
  };
  switch (random.below(4)) {
    case 0: break;
    case 1: add(' ', words.names.pick(random)); break;
    case 2:
      add(' ', words.names.pick(random));
      add(' ', std::to_string(random.between(1, 999)));
      break;
    default:
      add('-', words.names.pick(random));
      add(' ', words.names.pick(random));
      break;
  }
  const Words& kinds = group == 1 ? words.tv : group == 2 ? words.radio : words.video;
  add(' ', kinds.pick(random));
  // A few names run past the cuts at 154 and 254 characters.
  if (random.chance(1)) {
    const size_t target = 150 + random.below(130);
    while (name.size() < target) add(' ', words.names.pick(random));
  }
  return name;
}

std::string make_url(Random& random, int32_t group, const std::string& slug, int32_t bitrate) {
  std::string host = random.pick(kHosts);
  host += std::to_string(random.between(1, 40));
  host += '.';
  host += random.pick(kTlds);
  switch (group == 2 ? random.below(4) : 4 + random.below(3)) {
    case 0: return "http://" + host + ":" + std::to_string(random.between(8000, 8999)) + "/" + slug + ".mp3";
    case 1: return "http://" + host + "/live/" + slug + "-" + std::to_string(bitrate) + ".aac";
    case 2: return "mms://" + host + "/" + slug;
    case 3: return "https://" + host + "/radio/" + slug + "/stream.asx";
    case 4: return "https://" + host + "/hls/" + slug + "/index.m3u8";
    case 5: return "rtsp://" + host + ":554/" + slug + ".sdp";
    default: return "http://" + host + "/" + slug + "/playlist.asx";
  }
}

std::string make_comment(Random& random, const ChannelWords& words) {
  if (!random.chance(40)) return {};
  std::string comment;
  const size_t count = 1 + random.below(12);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) comment += random.chance(5) ? " | " : " ";
    comment += words.comments.pick(random);
  }
  return comment;
}

int32_t make_bitrate(Random& random, int32_t group) {
  static constexpr std::array<int32_t, 10> kRadio = {24, 32, 48, 64, 96, 128, 160, 192, 256, 320};
  if (group == 2) return random.pick(kRadio);
  if (group == 1) return random.between(6, 80) * 50;
  return random.between(10, 50) * 50;
}

void append_channels(std::string& out, Random& random, const ChannelWords& words, int32_t group, size_t count, int32_t& next_id,
                     const Table& countries, const Table& genres) {
  out.reserve(out.size() + count * 220);
  for (size_t i = 0; i < count; ++i) {
    const int32_t id = next_id;
    next_id += 1 + static_cast<int32_t>(random.below(4));
    const std::string name = make_name(random, words, group);
    const std::string slug = slug_of(name);
    const int32_t bitrate = make_bitrate(random, group);
    const std::string url = make_url(random, group, slug, bitrate);
    const int32_t type_id = random.chance(92) ? 1 : 2;
    const std::string homepage =
        random.chance(60) ? "http://www." + slug.substr(0, 40) + "." + random.pick(kTlds) + "/" : std::string();
    const int32_t country_id = countries.ids[1 + random.below(countries.ids.size() - 1)];
    // Now and then a genre the table does not know, as catalogues have.
    const int32_t genre_id = random.chance(1) ? 99999 : genres.ids[1 + random.below(genres.ids.size() - 1)];
    const std::string comment = make_comment(random, words);
    const int32_t rated = random.chance(30) ? 0 : random.between(1, 200);
    const double rating = rated == 0 ? (random.chance(10) ? 7.5 : 0)
                                     : std::round(rated * (1 + random.below(19) * 0.5) * 2) / 2;
    const Counts c = make_counts(random);

    out += std::to_string(id);
    out += '|';
    out += encode_base64(name);
    out += '|';
    out += url;
    out += '|';
    out += std::to_string(bitrate);
    out += '|';
    out += std::to_string(type_id);
    out += '|';
    out += homepage;
    out += '|';
    out += std::to_string(country_id);
    out += '|';
    out += std::to_string(genre_id);
    out += '|';
    out += encode_base64(comment);
    out += '|';
    out += real_text(rating);
    for (int32_t value : {rated, c.workfine, c.notworking, c.wrong, c.duplicate, c.spam}) {
      out += '|';
      out += std::to_string(value);
    }
    out += "\r\n";
  }
}
}  // namespace

std::vector<ZipMember> generate_catalogue_members(const GeneratorOptions& options) {
  Random random(options.seed);
  const Table countries = make_countries(random);
  const Table genres = make_genres(random);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "2026%02u%02u%02u%02u\r\n", static_cast<unsigned>(1 + options.seed % 12),
                static_cast<unsigned>(1 + options.seed % 28), static_cast<unsigned>(options.seed % 24),
                static_cast<unsigned>(options.seed % 60));

  std::vector<ZipMember> members;
  members.push_back({"version.dat", stamp});
  members.push_back({"countries.dat", countries.text});
  members.push_back({"genres.dat", genres.text});
  int32_t next_id = 1;
  const std::pair<const char*, size_t> groups[] = {{"tv.dat", options.tv}, {"radio.dat", options.radio},
                                                   {"video.dat", options.video}};
  const ChannelWords words;
  int32_t group = 1;
  for (const auto& [member, count] : groups) {
    std::string text;
    append_channels(text, random, words, group++, count, next_id, countries, genres);
    members.push_back({member, std::move(text)});
  }
  return members;
}

std::string generate_catalogue_zip(const GeneratorOptions& options) {
  return make_zip(generate_catalogue_members(options), 6, ZipTimestamp{2026, 1, 1, 12, 0, 0});
}

std::string generate_channel_file(const GeneratorOptions& options) {
  return encrypt_channel_file(generate_catalogue_zip(options));
}
