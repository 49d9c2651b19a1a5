#pragma once
// A catalogue of made-up channels for the benchmarks, the same for a given size and seed.
#include "catalogue/records.h"

#include <QString>

#include <random>

namespace bench {
inline Catalogue generated_catalogue(int count, unsigned seed = 1) {
  static const char* const words[] = {"Radio", "TV",    "Jazz",  "Rock",   "News",  "FM",    "Classic", "Hits",
                                      "Music", "Sport", "Kids",  "Movies", "Latin", "Dance", "One",     "Plus",
                                      "Gold",  "City",  "Metro", "Info",   "Caf\u00e9", "\u00c9lan", "Live", "24"};
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> word(0, std::size(words) - 1), word_count(1, 4), group(1, 3), status(0, 5),
      country(0, 199), genre(0, 49), bitrate_step(0, 6), percent(0, 99);
  Catalogue info;
  for (int c = 0; c < 200; ++c) info.countries.push_back({c, ShortText::from_text(QStringLiteral("Country %1").arg(c))});
  for (int g = 0; g < 50; ++g) info.genres.push_back({g, ShortText::from_text(QStringLiteral("Genre %1").arg(g))});
  static const int bitrates[] = {32, 48, 64, 96, 128, 192, 320};
  info.channels.resize(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) {
    Channel& item = info.channels[static_cast<size_t>(k)];
    item.id = k + 1;
    item.group_id = group(rng);
    QString name;
    for (int w = word_count(rng); w > 0; --w) name += QString::fromUtf8(words[word(rng)]) + (w > 1 ? " " : "");
    if (percent(rng) < 50) name += QStringLiteral(" %1").arg(k % 1000);
    item.name = ShortText::from_text(name);
    item.url = to_packed(QStringLiteral("http://stream%1.example.org/live").arg(k));
    item.bitrate = bitrates[bitrate_step(rng)];
    item.type_id = percent(rng) < 95 ? 1 : 2;
    item.country_id = country(rng);
    item.genre_id = genre(rng);
    item.genre = info.genres[static_cast<size_t>(item.genre_id)].name;
    if (percent(rng) < 30) item.comment = to_packed(QStringLiteral("Comment about %1").arg(name));
    item.rated = percent(rng) < 40 ? percent(rng) % 20 : 0;
    item.rating = item.rated * (percent(rng) % 5 + 1);
    item.average_rating = item.rated > 0 ? item.rating / item.rated : 0;
    item.status = status(rng);
    item.favorited = percent(rng) < 2 ? 1 : 0;
  }
  return info;
}
}  // namespace bench
