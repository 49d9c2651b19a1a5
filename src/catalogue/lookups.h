#pragma once
#include "catalogue/records.h"

#include <QString>

#include <vector>

// Lookups over the country and genre tables.
//
// When no row matches, the index lookups answer 0 (the first row, which the lists treat as "all")
// and the by-name lookups answer the id of the first row (0 for an empty table): callers use the
// answer as a list index or an id without checking it, and both stay harmless that way.
int country_index_by_id(const std::vector<Country>& countries, int32_t id);
int genre_index_by_id(const std::vector<Genre>& genres, int32_t id);
int32_t country_id_by_name(const std::vector<Country>& countries, const QString& name);
int32_t genre_id_by_name(const std::vector<Genre>& genres, const QString& name);

// The first 254 bytes of the name of the first row with that id; empty when no row has it.
QString genre_name_by_id(int32_t id, const std::vector<Genre>& genres);

// The reset that starts every catalogue load. Leaves the favourites id list, the data folder, the
// note that the user files were read and the filter's criteria (apart from group, favourites view
// and the five switches) as they are.
void reset_catalogue(Catalogue& catalogue);

// True when the id is in the favourites id list.
bool is_favorite(const std::vector<int32_t>& favorites, int32_t id);
