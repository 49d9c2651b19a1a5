#pragma once
#include "catalogue/records.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// The members of the channel database, each read from its whole text (Windows-1252). Every
// function throws CatalogueError naming the member, and for a line the line number (from 1), when
// the text cannot be read; what was filled before the failure stays.

// "version.dat": the stamp is its first 12 bytes; the date-time is read from it.
void load_version_member(TInfo& info, std::string_view content);

// "countries.dat" / "genres.dat": one row per line, id and name (first 254 bytes).
void load_country_member(std::vector<Tcountry>& countries, std::string_view content);
void load_genre_member(std::vector<Tgenre>& genres, std::string_view content);

// Names of the genre table by id, built once per load: the first row with an id wins and its
// name is cut to 254 bytes, as genre_name_by_id answers it. Views into the table.
class GenreNames {
 public:
  explicit GenreNames(const std::vector<Tgenre>& genres);
  // The table's name cut to 254 bytes, shared rather than copied; empty for an unknown id.
  const TShortText& name(int32_t id) const;

 private:
  std::unordered_map<int32_t, TShortText> names_;
};

// Favourite ids sorted once, so that marking a million channels stays fast.
class FavoriteIds {
 public:
  explicit FavoriteIds(const std::vector<int32_t>& favorites);
  bool contains(int32_t id) const;

 private:
  std::vector<int32_t> sorted_;
};

// Gives every record already present its genre name from the table (user-defined channels).
void assign_genre_names(std::vector<TItem>& channels, const GenreNames& genres);

// "tv.dat", "radio.dat", "video.dat": appends one record per line to channels, growing the array
// once before any line is read. member names the member in messages.
struct ChannelMember {
  std::string_view member;
  int32_t group_id;
  size_t name_limit;  // 254 for TV, 154 for radio and video
};
void load_channel_member(std::vector<TItem>& channels, const ChannelMember& kind, std::string_view content,
                         const FavoriteIds& favorites, const GenreNames& genres);
// The same with the member's line count already known (count_lines of content).
void load_channel_member(std::vector<TItem>& channels, const ChannelMember& kind, std::string_view content,
                         size_t line_count, const FavoriteIds& favorites, const GenreNames& genres);
