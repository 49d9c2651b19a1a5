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

int country_index_by_id(const std::vector<Tcountry>& countries, int32_t id) { return index_by_id(countries, id); }
int genre_index_by_id(const std::vector<Tgenre>& genres, int32_t id) { return index_by_id(genres, id); }
int32_t country_id_by_name(const std::vector<Tcountry>& countries, const QString& name) {
  return id_by_name(countries, name);
}
int32_t genre_id_by_name(const std::vector<Tgenre>& genres, const QString& name) { return id_by_name(genres, name); }

QString genre_name_by_id(int32_t id, const std::vector<Tgenre>& genres) {
  for (const Tgenre& g : genres)
    if (g.id == id) return TShortText::from_bytes(g.name.bytes().substr(0, 254)).text();
  return {};
}

void reset_catalogue(Catalogue& catalogue) {
  TInfo& info = catalogue.info;
  info.stVersion.clear();
  info.dtVersion = 0;
  info.filter.group_id = kGroupTV;
  info.filter.favorited = 0;
  info.filter.name_flag = false;
  info.filter.country_flag = false;
  info.filter.genre_flag = false;
  info.filter.bitrate_flag = false;
  info.filter.flag_flag = false;
  info.ud_max = 100000;
  info.countries.clear();
  info.genres.clear();
  info.channels.clear();
  info.channels.shrink_to_fit();
  catalogue.rated_positions.clear();
  catalogue.flagged_positions.clear();
}

bool is_favorite(const std::vector<int32_t>& favorites, int32_t id) {
  return std::find(favorites.begin(), favorites.end(), id) != favorites.end();
}
