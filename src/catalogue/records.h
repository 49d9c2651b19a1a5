#pragma once
#include "catalogue/packed_text.h"
#include "catalogue/source_tables.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A name of at most 255 bytes: Windows-1252 text, as every stored file holds it, or UTF-8 for a
// name from elsewhere (a playlist) with a character Windows-1252 lacks. The catalogue's names are
// never UTF-8, so reading them costs nothing more; which one a name holds rides in its text.
class ShortText {
 public:
  static constexpr size_t kMaxBytes = 255;

  ShortText() = default;
  // Keeps at most the first 255 characters, converted to Windows-1252, then at most 255 bytes.
  static ShortText from_text(const QString& text);
  // Takes Windows-1252 bytes as they are, keeping at most the first 255.
  static ShortText from_bytes(std::string_view cp1252);
  // Takes Windows-1252 bytes already stored, e.g. in a TextArena; they must be at most 255.
  static ShortText from_stored(PackedText cp1252);
  // Any text, kept whole: Windows-1252 when it holds every character, else UTF-8. Either way at
  // most 255 bytes, cut between characters.
  static ShortText from_utf8(std::string_view utf8);

  QString text() const;  // decoded from Windows-1252 or UTF-8
  bool is_utf8() const { return bytes_.is_marked(); }
  // Windows-1252, or UTF-8 when is_utf8().
  std::string_view bytes() const { return bytes_.view(); }
  size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  friend bool operator==(const ShortText& a, const ShortText& b) {
    return a.bytes_ == b.bytes_ && a.is_utf8() == b.is_utf8();
  }

 private:
  PackedText bytes_;
};

// Group ids of a channel and of the filter.
enum : int32_t { kGroupTV = 1, kGroupRadio = 2, kGroupVideo = 3 };

// Report status of a channel, derived from its five report counts.
enum : int32_t {
  kStatusWorksFine = 0,
  kStatusNotWorking = 1,
  kStatusNew = 2,
  kStatusWrongInfo = 3,
  kStatusDuplicate = 4,
  kStatusSpam = 5,
  kStatusNotReported = -1,  // a channel the service does not know: no status criterion hides it
};

struct Country {
  int32_t id = 0;
  ShortText name;
};

struct Genre {
  int32_t id = 0;
  ShortText name;
};

// One channel. Texts other than the two names are UTF-8.
struct Channel {
  int32_t id = 0;
  int32_t favorited = 0;
  int32_t group_id = 0;
  int32_t sent = 0;
  ShortText name;
  PackedText url;
  int32_t bitrate = 0;
  int32_t type_id = 0;
  PackedText homepage;
  int32_t country_id = 0;
  int32_t genre_id = 0;
  ShortText genre;
  PackedText comment;
  double rating = 0;
  int32_t rated = 0;
  double average_rating = 0;
  int32_t workfine = 0;
  int32_t notworking = 0;
  int32_t wrong = 0;
  int32_t duplicate = 0;
  int32_t spam = 0;
  int32_t status = 0;
  uint16_t user_defined = 0;
  uint16_t source = 0;  // the playlist source the channel comes from; 0 for the catalogue's and the user's
};

struct ChannelFilter {
  uint16_t group_id = 0;
  uint16_t favorited = 0;
  bool name_flag = false;
  bool country_flag = false;
  bool genre_flag = false;
  bool bitrate_flag = false;
  bool status_flag = false;
  QString name;
  uint16_t country_id = 0;
  uint16_t genre_id = 0;
  int32_t bitrate = 0;
  bool workfine = false;
  bool notworking = false;
  bool new_ = false;  // "new" is a keyword
  bool wrong = false;
  bool duplicate = false;
  bool spam = false;
};

// The channel catalogue and the lists kept beside it; the main window owns the single instance.
struct Catalogue {
  std::string version_stamp;  // at most 12 digits: YYYYMMDDhhmm; empty when none was loaded
  double version_time = 0;    // days since 1899-12-30, local time; 0 when none
  ChannelFilter filter;
  std::vector<Country> countries;
  std::vector<Genre> genres;
  std::vector<Channel> channels;
  int32_t highest_user_id = 0;  // of the user's channels: a new one gets the next id

  std::vector<int32_t> favorites;  // channel ids read from the favourites file
  std::vector<int> rated_ids;      // channels rated since the last reset (ids survive a sort)
  std::vector<int> flagged_ids;    // channels flagged since the last reset
  QString app_data;                // the user's data folder, fixed for the run
  bool user_files_loaded = false;  // favourites and user channels were read in this run
  SourceTables source_tables;      // the countries and genres other sources name, for the run
  bool user_files_held_elsewhere = false;  // another copy of the program writes them: this one never does
};

// Text conversions of the UTF-8 fields.
inline QString to_qstring(const PackedText& text) {
  const std::string_view v = text.view();
  return QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
}
inline PackedText to_packed(const QString& text) { return PackedText(text.toUtf8().toStdString()); }
