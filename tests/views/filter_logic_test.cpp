#include "views/filter_logic.h"
#include "views/view_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {
// The demo's country and genre tables: their first rows are "All Countries" and "All Genres" rows
// with id 0.
ChannelListState demo_like_state() {
  ChannelListState state;
  Catalogue& catalogue = state.catalogue;
  catalogue.filter.group_id = kGroupTV;
  catalogue.countries = {{0, ShortText::from_text("All Countries")}, {1, ShortText::from_text("This computer")},
                         {2, ShortText::from_text("Germany")}};
  catalogue.genres = {{0, ShortText::from_text("All Genres")}, {1, ShortText::from_text("Test signal")},
                      {2, ShortText::from_text("News")}};
  const int32_t genres[] = {2, 1, 2, 3};
  for (int32_t country : {1, 2, 2, 3}) {
    Channel c;
    c.id = static_cast<int32_t>(catalogue.channels.size()) + 1;
    c.group_id = kGroupTV;
    c.type_id = 1;
    c.country_id = country;
    c.genre_id = genres[catalogue.channels.size()];
    catalogue.channels.push_back(c);
  }
  return state;
}

bool removes_switch(const std::vector<StoreWrite>& writes, const char* name) {
  return std::find(writes.begin(), writes.end(), StoreWrite::remove(QString::fromLatin1(name))) != writes.end();
}

// An entry of the dialog's country or genre list, and what choosing it leads to.
struct EntryCase {
  const char* what;
  int entry;
  std::vector<int> visible;
  bool criterion_on;
};

struct SetFilterResult {
  FilterUpdate update;
  ViewUpdate shown;
};

// "Set Filter" with the dialog's choices as `choose` leaves them; the filter is then the state's
// and the view rebuilt.
SetFilterResult set_filter(ChannelListState& state, const std::function<void(FilterChoices&)>& choose) {
  FilterChoices choices = filter_choices_from(state.catalogue);
  choose(choices);
  auto plan = plan_set_filter(state.catalogue, choices);
  if (!std::holds_alternative<FilterUpdate>(plan)) throw std::logic_error("Set Filter was refused");
  SetFilterResult result{std::get<FilterUpdate>(plan), {}};
  state.catalogue.filter = result.update.filter;
  result.shown = rebuild_view(state);
  return result;
}
}  // namespace

// The filter dialog's country list and the main window's are the same table: each entry asks for
// the same channels, and after "Set Filter" the main window shows the entry the list was built for.
TEST(CountryEntries, MeanTheSameInTheFilterDialogAsInTheMainWindow) {
  const EntryCase cases[] = {
      {"first entry: all countries", 0, {0, 1, 2, 3}, false},
      {"no entry chosen", -1, {0, 1, 2, 3}, false},
      {"entry beyond the table", 3, {0, 1, 2, 3}, false},
      {"a country", 2, {1, 2}, true},
      {"the country with id 1", 1, {0}, true},
  };
  for (const EntryCase& c : cases) {
    ChannelListState dialog = demo_like_state();
    dialog.catalogue.filter.country_id = 2;  // an earlier choice, still held
    const auto [update, shown] = set_filter(dialog, [&](FilterChoices& choices) {
      choices.country_on = true;
      choices.country_index = c.entry;
    });

    EXPECT_EQ(dialog.visible, c.visible) << c.what;
    EXPECT_EQ(update.filter.country_flag, c.criterion_on) << c.what;
    EXPECT_EQ(shown.clear_filter_visible, c.criterion_on) << c.what;
    EXPECT_EQ(removes_switch(update.writes, "country_f"), !c.criterion_on) << c.what;
    EXPECT_EQ(country_list(dialog.catalogue).selected, c.criterion_on ? c.entry : 0) << c.what;

    ChannelListState window = demo_like_state();
    choose_country(window, c.entry);
    EXPECT_EQ(window.visible, dialog.visible) << c.what;
    EXPECT_EQ(window.catalogue.filter.country_flag, dialog.catalogue.filter.country_flag) << c.what;
    EXPECT_EQ(window.catalogue.filter.country_id, dialog.catalogue.filter.country_id) << c.what;
  }
}

// The genre list of the filter dialog follows the same rule: its first entry asks for all genres.
TEST(GenreEntries, TheFirstMeansAllGenres) {
  const EntryCase cases[] = {
      {"first entry: all genres", 0, {0, 1, 2, 3}, false},
      {"no entry chosen", -1, {0, 1, 2, 3}, false},
      {"entry beyond the table", 3, {0, 1, 2, 3}, false},
      {"a genre", 2, {0, 2}, true},
      {"the genre with id 1", 1, {1}, true},
  };
  for (const EntryCase& c : cases) {
    ChannelListState state = demo_like_state();
    state.catalogue.filter.genre_id = 2;  // an earlier choice, still held
    const auto [update, shown] = set_filter(state, [&](FilterChoices& choices) {
      choices.genre_on = true;
      choices.genre_index = c.entry;
    });

    EXPECT_EQ(state.visible, c.visible) << c.what;
    EXPECT_EQ(update.filter.genre_flag, c.criterion_on) << c.what;
    EXPECT_EQ(shown.clear_filter_visible, c.criterion_on) << c.what;
    EXPECT_EQ(removes_switch(update.writes, "genre_f"), !c.criterion_on) << c.what;
    // Opened again, the dialog shows the genre asked for, or its first entry unticked.
    const FilterChoices reopened = filter_choices_from(state.catalogue);
    EXPECT_EQ(reopened.genre_on, c.criterion_on) << c.what;
    EXPECT_EQ(reopened.genre_index, c.criterion_on ? c.entry : 0) << c.what;
  }
}
