#include "catalogue/lookups.h"

#include <algorithm>

namespace {
template <typename Row>
int index_by_id(const std::vector<Row>& rows, int32_t id) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].id == id) return static_cast<int>(i);
  return 0;
}

template <typename Row>
int32_t id_by_name(const std::vector<Row>& rows, const QString& name) {
  for (const Row& row : rows)
    if (row.name.text() == name) return row.id;
  return rows.empty() ? 0 : rows.front().id;
}
}  // namespace

int country_index_by_id(const std::vector<Country>& countries, int32_t id) { return index_by_id(countries, id); }
int genre_index_by_id(const std::vector<Genre>& genres, int32_t id) { return index_by_id(genres, id); }
int32_t country_id_by_name(const std::vector<Country>& countries, const QString& name) {
  return id_by_name(countries, name);
}
int32_t genre_id_by_name(const std::vector<Genre>& genres, const QString& name) { return id_by_name(genres, name); }

QString genre_name_by_id(int32_t id, const std::vector<Genre>& genres) {
  for (const Genre& g : genres)
    if (g.id == id) return ShortText::from_bytes(g.name.bytes().substr(0, 254)).text();
  return {};
}

void reset_catalogue(Catalogue& catalogue) {
  catalogue.version_stamp.clear();
  catalogue.version_time = 0;
  catalogue.filter.group_id = kGroupTV;
  catalogue.filter.favorited = 0;
  catalogue.filter.name_flag = false;
  catalogue.filter.country_flag = false;
  catalogue.filter.genre_flag = false;
  catalogue.filter.bitrate_flag = false;
  catalogue.filter.status_flag = false;
  catalogue.highest_user_id = 100000;
  catalogue.countries.clear();
  catalogue.genres.clear();
  catalogue.channels.clear();
  catalogue.channels.shrink_to_fit();
  catalogue.rated_ids.clear();
  catalogue.flagged_ids.clear();
}

bool is_favorite(const std::vector<int32_t>& favorites, int32_t id) {
  return std::find(favorites.begin(), favorites.end(), id) != favorites.end();
}
