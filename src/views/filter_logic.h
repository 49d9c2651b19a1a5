#pragma once
#include "catalogue/records.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

// What the filter dialog shows: the five check boxes and the values of their controls.
struct FilterChoices {
  bool name_on = false;
  QString name_text;
  bool country_on = false;
  int country_index = 0;  // entry of the dialog's country list
  bool genre_on = false;
  int genre_index = 0;    // entry of the dialog's genre list
  bool bitrate_on = false;
  QString bitrate_text;
  bool status_on = false;
  // Works fine, not working, new, wrong info, duplicate, spam (status 0 to 5).
  std::array<bool, 6> statuses{};
};

// One call on the settings store.
struct StoreWrite {
  enum class Op { Integer, Text, Delete };
  Op op = Op::Delete;
  QString value;   // value name, e.g. "name_f"
  int32_t number = 0;
  QString text;

  static StoreWrite integer(const QString& value, int32_t number) { return {Op::Integer, value, number, {}}; }
  static StoreWrite string(const QString& value, const QString& text) { return {Op::Text, value, 0, text}; }
  static StoreWrite remove(const QString& value) { return {Op::Delete, value, 0, {}}; }
  friend bool operator==(const StoreWrite&, const StoreWrite&) = default;
};

// The row an entry of a country or genre list stands for, the main window's and the filter dialog's
// alike: the first entry means all of them whatever its row holds (the demo's first rows are an
// "All Countries" and an "All Genres" row with id 0), and so does no entry or one beyond the table.
// Answers the id of the entry's row, or nothing for all.
template <typename Row>
std::optional<int32_t> chosen_row_id(const std::vector<Row>& rows, int entry) {
  if (entry < 1 || static_cast<size_t>(entry) >= rows.size()) return std::nullopt;
  return rows[static_cast<size_t>(entry)].id;
}
inline std::optional<int32_t> chosen_country_id(const std::vector<Country>& countries, int entry) {
  return chosen_row_id(countries, entry);
}
inline std::optional<int32_t> chosen_genre_id(const std::vector<Genre>& genres, int entry) {
  return chosen_row_id(genres, entry);
}

// The names of the six status values, in status order.
const std::array<QString, 6>& status_value_names();

// The dialog's content for the current criteria.
FilterChoices filter_choices_from(const Catalogue& catalogue);

// The criteria "Set Filter" takes over, with the store writes in the order they are made.
struct FilterUpdate {
  ChannelFilter filter;
  std::vector<StoreWrite> writes;
};

// The error text shown when the bitrate text is not a number.
QString invalid_bitrate_message(const QString& text);

// Works out what "Set Filter" does. An unusable bitrate text (with its box checked) is reported
// before anything is taken over, so a refused attempt leaves criteria, store and view alone. The
// Country or Genre box checked with the first entry chosen asks for all countries or genres: that
// criterion goes off, as the main window's first country entry does it.
std::variant<FilterUpdate, QString> plan_set_filter(const Catalogue& catalogue, const FilterChoices& choices);
