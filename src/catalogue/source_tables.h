#pragma once
#include "catalogue/keyed_hash.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct Catalogue;
struct Channel;

// Countries and genres that channels of other sources name (a playlist's tvg-country and group
// titles): a name the catalogue's table holds too, compared without regard to case, is that row;
// any other becomes a row of its own, appended to the table in memory for the lists and the filter
// and never written to any file. Such rows have ids from kFirstSourceTableId up, given on first
// sight and kept for the run, so a choice made in the filter stays what it was while sources come
// and go and the catalogue is downloaded anew.
inline constexpr int32_t kFirstSourceTableId = 0x8000;
// Real lists name a few dozen groups; a hostile one could name a new one on every line.
inline constexpr size_t kMaxSourceTableNames = 4096;

// The names of one table (countries or genres), by the ids given to them.
class SourceNames {
 public:
  // The id of a name (UTF-8, as shown); 0 for an empty name or one past the bound.
  int32_t intern(std::string_view name);
  // The name of an id given here, or null.
  const std::string* name_of(int32_t id) const;
  // The id a name's id stands for in the list: the catalogue row of the same name, else its own.
  int32_t effective(int32_t id) const;
  // The name's own id behind an id of the list (the inverse of effective); 0 when none.
  int32_t own_id(int32_t listed_id) const;
  size_t size() const { return names_.size(); }

  // Matches every name against the catalogue's rows (`names` with their `ids`).
  void match(const std::vector<QString>& names, const std::vector<int32_t>& ids);

 private:
  std::vector<std::string> names_;  // by id - kFirstSourceTableId
  std::unordered_map<std::string, int32_t, KeyedTextHash> by_folded_name_;
  std::vector<int32_t> effective_;  // by id - kFirstSourceTableId
  std::unordered_map<int32_t, int32_t> own_of_catalogue_id_;
};

struct SourceTables {
  SourceNames countries;
  SourceNames genres;
  // How many rows of the tables are the catalogue's own; npos until the tables were matched.
  size_t own_countries = std::string::npos;
  size_t own_genres = std::string::npos;
};

// The country a playlist's tvg-country and tvg-language name, as the name it goes by in English
// ("UA;PL" gives "Ukraine"); the text as it stands when it is no country code.
QString country_name_of(std::string_view tvg_country, std::string_view tvg_language);

// After the channel array or the catalogue's tables changed: channels of other sources take the
// catalogue's rows for the names the catalogue has, the tables get the rows of the names in use
// that it lacks (sorted by name, behind the catalogue's own; with a first row for all when the
// catalogue has none), and the filter's country and genre follow. The catalogue's own channels,
// rows and stored files are not touched.
void attach_source_tables(Catalogue& catalogue);
// How many of a table's rows are the catalogue's own.
template <typename Row>
size_t catalogue_rows(size_t own_rows, const std::vector<Row>& rows) {
  return own_rows == std::string::npos ? rows.size() : std::min(own_rows, rows.size());
}
// A new catalogue's tables were read into `catalogue`: its rows are all its own.
void forget_catalogue_rows(SourceTables& tables);
