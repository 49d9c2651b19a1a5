#include "views/filter_logic.h"
#include "views/view_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
// The demo's country table: its first row is an "All Countries" row with id 0.
ChannelListState demo_like_state() {
  ChannelListState state;
  Catalogue& catalogue = state.catalogue;
  catalogue.filter.group_id = kGroupTV;
  catalogue.countries = {{0, ShortText::from_text("All Countries")}, {1, ShortText::from_text("This computer")},
                         {2, ShortText::from_text("Germany")}};
  for (int32_t country : {1, 2, 2, 3}) {
    Channel c;
    c.id = static_cast<int32_t>(catalogue.channels.size()) + 1;
    c.group_id = kGroupTV;
    c.type_id = 1;
    c.country_id = country;
    catalogue.channels.push_back(c);
  }
  return state;
}

bool removes_country_switch(const std::vector<StoreWrite>& writes) {
  return std::find(writes.begin(), writes.end(), StoreWrite::remove(QStringLiteral("country_f"))) != writes.end();
}
}  // namespace

// The filter dialog's country list and the main window's are the same table: each entry asks for
// the same channels, and after "Set Filter" the main window shows the entry the list was built for.
TEST(CountryEntries, MeanTheSameInTheFilterDialogAsInTheMainWindow) {
  struct Case {
    const char* what;
    int entry;
    std::vector<int> visible;
    bool criterion_on;
  };
  const Case cases[] = {
      {"first entry: all countries", 0, {0, 1, 2, 3}, false},
      {"no entry chosen", -1, {0, 1, 2, 3}, false},
      {"entry beyond the table", 3, {0, 1, 2, 3}, false},
      {"a country", 2, {1, 2}, true},
      {"the country with id 1", 1, {0}, true},
  };
  for (const Case& c : cases) {
    ChannelListState dialog = demo_like_state();
    dialog.catalogue.filter.country_id = 2;  // an earlier choice, still held
    FilterChoices choices = filter_choices_from(dialog.catalogue);
    choices.country_on = true;
    choices.country_index = c.entry;
    auto plan = plan_set_filter(dialog.catalogue, choices);
    ASSERT_TRUE(std::holds_alternative<FilterUpdate>(plan)) << c.what;
    const FilterUpdate& update = std::get<FilterUpdate>(plan);
    dialog.catalogue.filter = update.filter;
    const ViewUpdate shown = rebuild_view(dialog);

    EXPECT_EQ(dialog.visible, c.visible) << c.what;
    EXPECT_EQ(update.filter.country_flag, c.criterion_on) << c.what;
    EXPECT_EQ(shown.clear_filter_visible, c.criterion_on) << c.what;
    EXPECT_EQ(removes_country_switch(update.writes), !c.criterion_on) << c.what;
    EXPECT_EQ(country_list(dialog.catalogue).selected, c.criterion_on ? c.entry : 0) << c.what;

    ChannelListState window = demo_like_state();
    choose_country(window, c.entry);
    EXPECT_EQ(window.visible, dialog.visible) << c.what;
    EXPECT_EQ(window.catalogue.filter.country_flag, dialog.catalogue.filter.country_flag) << c.what;
    EXPECT_EQ(window.catalogue.filter.country_id, dialog.catalogue.filter.country_id) << c.what;
  }
}
