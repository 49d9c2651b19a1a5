#pragma once
#include "catalogue/load_allowance.h"
#include "catalogue/page_populator.h"
#include "catalogue/records.h"
#include "catalogue/text_arena.h"
#include "catalogue/text_lines.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// The members of the channel database (Windows-1252 text). The line-based members are read as
// their text arrives, a line at a time: each line is checked before anything is allocated for it,
// no line may be longer than kLongestLine, and every line and record is paid for from the load's
// allowance. Every function throws CatalogueError naming the member, and for a line the line
// number (from 1), when the text cannot be read; what was filled before the failure stays.

// No field the catalogue keeps comes near this: names are cut to 254 characters and numbers have
// at most eleven. A longer line is damage or an attack.
constexpr size_t kLongestLine = size_t{1} << 20;

// "version.dat": the stamp is its first 12 bytes, twelve digits giving the year, month, day, hour
// and minute of a valid date and time; info takes stamp and date-time only then.
void load_version_member(Catalogue& catalogue, std::string_view first_bytes);

// "countries.dat" / "genres.dat": one row per line, id and name (first 254 bytes). The table is
// replaced.
void load_country_member(std::vector<Country>& countries, LineStream::Source text, LoadAllowance& allowance);
void load_genre_member(std::vector<Genre>& genres, LineStream::Source text, LoadAllowance& allowance);

// Names of the genre table by id, built once per load: the first row with an id wins and its
// name is cut to 254 bytes, as genre_name_by_id answers it. Views into the table.
class GenreNames {
 public:
  explicit GenreNames(const std::vector<Genre>& genres);
  // The table's name cut to 254 bytes, shared rather than copied; empty for an unknown id.
  const ShortText& name(int32_t id) const;

 private:
  std::unordered_map<int32_t, ShortText> names_;
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
void assign_genre_names(std::vector<Channel>& channels, const GenreNames& genres);

// "tv.dat", "radio.dat", "video.dat".
struct ChannelMember {
  std::string_view member;  // named in messages
  int32_t group_id;
  size_t name_limit;  // 254 for TV, 154 for radio and video
};

// What the channel members of one load share. The text the members still hold (their stated
// sizes) and the average line so far tell how far to grow the channel array when it is full, so
// that a real catalogue grows it about once rather than doubling and moving it again and again.
struct ChannelLoad {
  const FavoriteIds& favorites;
  const GenreNames& genres;
  LoadAllowance& allowance;
  TextArena& texts;          // where the channels' texts are written
  PagePopulator* pages = nullptr;  // faults in the channel array ahead of the records, if set
  PopulateAhead records_ahead;     // of the array as it was last grown
  uint64_t bytes_ahead = 0;  // stated sizes of the channel members after the one being read
  uint64_t bytes_read = 0;   // text of the channel members read so far, and its lines
  uint64_t lines_read = 0;
};

// Appends one record per line to channels. stated_bytes is the member's size as its directory entry
// states it (a guide for growing the array, not trusted).
void load_channel_member(std::vector<Channel>& channels, const ChannelMember& kind, LineStream::Source text,
                         uint64_t stated_bytes, ChannelLoad& load);
