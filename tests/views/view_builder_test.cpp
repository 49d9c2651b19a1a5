#include "settings/settings_store.h"
#include "views/view_builder.h"
#include "test_env.h"
#include "widgets/messages.h"

#include <QDir>
#include <gtest/gtest.h>

#include <string>

namespace {
TItem channel(int32_t id, int32_t group, const char* name = "Channel") {
  TItem item;
  item.id = id;
  item.group_id = group;
  item.type_id = 1;
  item.name = TShortText::from_text(QString::fromUtf8(name));
  item.status = kStatusNew;
  return item;
}

TFilter tv_view() {
  TFilter f;
  f.group_id = kGroupTV;
  return f;
}

Tcountry country(int32_t id, const char* name) { return {id, TShortText::from_text(QString::fromUtf8(name))}; }

AppState sample_state() {
  AppState state;
  TInfo& info = state.catalogue.info;
  info.filter = tv_view();
  info.countries = {country(0, "All Countries"), country(33, "France"), country(49, "Germany")};
  info.genres = {{0, TShortText::from_text("All Genres")}, {12, TShortText::from_text("Jazz")}};
  info.channels = {channel(1, kGroupTV, "One TV"), channel(2, kGroupRadio, "Radio FM"), channel(3, kGroupVideo, "Clips"),
                   channel(4, kGroupTV, "Two TV"), channel(5, kGroupRadio, "radio fm")};
  info.channels[1].favorited = 1;
  info.channels[2].favorited = 1;
  info.channels[3].country_id = 33;
  return state;
}
}  // namespace

struct MatchCase {
  const char* what;
  void (*prepare)(TItem&, TFilter&);
  bool visible;
};
void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.what; }


class ChannelMatches : public testing::TestWithParam<MatchCase> {};

// Each case builds the list of a catalogue that holds one channel.
TEST_P(ChannelMatches, FollowsEachCriterion) {
  TItem item = channel(1, kGroupTV, "Radio FM");
  TFilter filter = tv_view();
  GetParam().prepare(item, filter);
  AppState state;
  state.catalogue.info.filter = filter;
  state.catalogue.info.channels = {item};
  build_visible_list(state);
  EXPECT_EQ(state.visible, GetParam().visible ? std::vector<int>{0} : std::vector<int>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChannelMatches,
    testing::Values(
        MatchCase{"plain_tv_channel", [](TItem&, TFilter&) {}, true},
        MatchCase{"other_group", [](TItem& i, TFilter&) { i.group_id = kGroupRadio; }, false},
        MatchCase{"type_2_never", [](TItem& i, TFilter&) { i.type_id = 2; }, false},
        MatchCase{"type_2_not_in_favourites", [](TItem& i, TFilter& f) { i.type_id = 2; i.favorited = 1; f.group_id = 0; f.favorited = 1; }, false},
        MatchCase{"type_0_listed", [](TItem& i, TFilter&) { i.type_id = 0; }, true},
        MatchCase{"favourite_of_any_group", [](TItem& i, TFilter& f) { i.group_id = kGroupVideo; i.favorited = 1; f.group_id = 0; f.favorited = 1; }, true},
        MatchCase{"not_a_favourite", [](TItem&, TFilter& f) { f.group_id = 0; f.favorited = 1; }, false},
        MatchCase{"group_zero_without_favourites_shows_the_others", [](TItem&, TFilter& f) { f.group_id = 0; f.favorited = 0; }, true},
        MatchCase{"unknown_group", [](TItem&, TFilter& f) { f.group_id = 7; }, false},
        MatchCase{"name_fragment_found", [](TItem&, TFilter& f) { f.name_flag = true; f.name = "FM"; }, true},
        MatchCase{"name_case_sensitive", [](TItem&, TFilter& f) { f.name_flag = true; f.name = "fm"; }, false},
        MatchCase{"empty_fragment_hides_all", [](TItem&, TFilter& f) { f.name_flag = true; f.name = ""; }, false},
        MatchCase{"empty_name_hidden", [](TItem& i, TFilter& f) { i.name = {}; f.name_flag = true; f.name = " "; }, false},
        MatchCase{"fragment_off_is_ignored", [](TItem&, TFilter& f) { f.name = "zzz"; }, true},
        MatchCase{"accented_fragment", [](TItem& i, TFilter& f) { i.name = TShortText::from_text("Caf\u00e9 \u20ac"); f.name_flag = true; f.name = "\u00e9 \u20ac"; }, true},
        MatchCase{"fragment_outside_code_page", [](TItem& i, TFilter& f) { i.name = TShortText::from_text("Radio ?"); f.name_flag = true; f.name = "\u4e2d"; }, false},
        MatchCase{"country", [](TItem& i, TFilter& f) { i.country_id = 33; f.country_flag = true; f.country_id = 33; }, true},
        MatchCase{"other_country", [](TItem& i, TFilter& f) { i.country_id = 34; f.country_flag = true; f.country_id = 33; }, false},
        MatchCase{"country_above_16_bits", [](TItem& i, TFilter& f) { i.country_id = 70000; f.country_flag = true; f.country_id = 70000 & 0xFFFF; }, false},
        MatchCase{"genre", [](TItem& i, TFilter& f) { i.genre_id = 12; f.genre_flag = true; f.genre_id = 12; }, true},
        MatchCase{"other_genre", [](TItem& i, TFilter& f) { i.genre_id = 13; f.genre_flag = true; f.genre_id = 12; }, false},
        MatchCase{"bitrate_above", [](TItem& i, TFilter& f) { i.bitrate = 129; f.bitrate_flag = true; f.bitrate = 128; }, true},
        MatchCase{"bitrate_equal_hidden", [](TItem& i, TFilter& f) { i.bitrate = 128; f.bitrate_flag = true; f.bitrate = 128; }, false},
        MatchCase{"negative_threshold", [](TItem& i, TFilter& f) { i.bitrate = 0; f.bitrate_flag = true; f.bitrate = -1; }, true},
        MatchCase{"status_new_hidden", [](TItem&, TFilter& f) { f.flag_flag = true; f.new_ = true; }, false},
        MatchCase{"status_switch_without_criterion", [](TItem&, TFilter& f) { f.new_ = true; }, true},
        MatchCase{"all_status_switches_off", [](TItem&, TFilter& f) { f.flag_flag = true; }, true},
        MatchCase{"workfine_hides_user_channel", [](TItem& i, TFilter& f) { i.usdef = 1; i.status = 0; f.flag_flag = true; f.workfine = true; }, false},
        MatchCase{"spam_hidden", [](TItem& i, TFilter& f) { i.status = kStatusSpam; f.flag_flag = true; f.spam = true; }, false},
        MatchCase{"other_status_kept", [](TItem& i, TFilter& f) { i.status = kStatusDuplicate; f.flag_flag = true; f.spam = true; f.notworking = true; f.wrong = true; }, true}),
    [](const testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.what); });

TEST(BuildVisibleList, ListsMatchingPositionsInOrder) {
  AppState state = sample_state();
  state.visible = {99, 98, 97, 96, 95, 94, 93};  // left over from a larger catalogue
  const ViewUpdate update = build_visible_list(state);
  EXPECT_EQ(state.visible, (std::vector<int>{0, 3}));
  EXPECT_EQ(update.row_count, 2);
  EXPECT_EQ(update.caption, QStringLiteral("Quovi Pro - 5.1.5.0 - Tv"));
  EXPECT_FALSE(update.clear_filter_visible);

  TFilter& f = state.catalogue.info.filter;
  f.group_id = 0;
  f.favorited = 1;
  f.bitrate_flag = true;
  f.bitrate = -1;
  const ViewUpdate favourites = build_visible_list(state);
  EXPECT_EQ(state.visible, (std::vector<int>{1, 2}));  // radio and video favourites together
  EXPECT_EQ(favourites.caption, QStringLiteral("Quovi Pro - 5.1.5.0 - Favorites"));
  EXPECT_TRUE(favourites.clear_filter_visible);
}

TEST(BuildVisibleList, CaptionsOfTheViews) {
  TFilter f;
  const std::pair<uint16_t, const char*> cases[] = {{0, " - Favorites"}, {1, " - Tv"}, {2, " - Radio"}, {3, " - Video"}};
  for (const auto& [group, suffix] : cases) {
    f.group_id = group;
    EXPECT_EQ(view_caption(f), QStringLiteral("Quovi Pro - 5.1.5.0") + suffix);
  }
  f.group_id = 7;
  EXPECT_FALSE(view_caption(f).has_value());
}

TEST(BuildVisibleList, EmptyCatalogueStillNamesTheView) {
  AppState state;
  state.catalogue.info.filter.group_id = kGroupRadio;
  const ViewUpdate update = build_visible_list(state);
  EXPECT_TRUE(state.visible.empty());
  EXPECT_EQ(update.row_count, 0);
  EXPECT_EQ(update.caption, QStringLiteral("Quovi Pro - 5.1.5.0 - Radio"));
}

TEST(RebuildView, PutsTheWindowIntoTheNoChannelStateFirst) {
  AppState state = sample_state();
  std::vector<size_t> seen;
  rebuild_view(state, [&] { seen.push_back(state.visible.size()); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], 0u);  // called before the list was built
  EXPECT_EQ(state.visible.size(), 2u);
}

TEST(CountryList, SelectsTheChosenCountryOnlyWhileTheCriterionIsOn) {
  AppState state = sample_state();
  TInfo& info = state.catalogue.info;
  info.filter.country_id = 49;
  CountryList list = country_list(info);
  EXPECT_EQ(list.entries, (QStringList{"All Countries", "France", "Germany"}));
  EXPECT_EQ(list.selected, 0);
  info.filter.country_flag = true;
  EXPECT_EQ(country_list(info).selected, 2);
  info.filter.country_id = 50;
  EXPECT_EQ(country_list(info).selected, 0);
  EXPECT_EQ(genre_names(info), (QStringList{"All Genres", "Jazz"}));
  info.countries.clear();
  EXPECT_TRUE(country_list(info).entries.isEmpty());
}

struct CommandCase {
  const char* what;
  ViewUpdate (*run)(AppState&);
  QStringList writes;  // in the order they reach the store: "value=data", "-value" for a removal
  uint16_t group_id;
  uint16_t favorited;
  bool criteria_on_after;
};
void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.what; }


class ViewCommands : public testing::TestWithParam<CommandCase> {};

// Every command starts from a store that holds a Radio view with every criterion on.
TEST_P(ViewCommands, WriteTheStoreAndChangeTheFilter) {
  for (const char* v : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) write_reg_integer(kSettingsKey, v, 1);
  write_reg_string(kSettingsKey, "name", "FM");
  write_reg_integer(kSettingsKey, "country", 33);
  write_reg_integer(kSettingsKey, "selected", 2);
  write_reg_integer(kSettingsKey, "favorited", 1);

  AppState state = sample_state();
  TFilter& f = state.catalogue.info.filter;
  f.name_flag = f.country_flag = f.genre_flag = f.bitrate_flag = f.flag_flag = true;
  f.name = "FM";
  f.country_id = 33;
  SettingsWriteLog log;
  const ViewUpdate update = GetParam().run(state);

  EXPECT_EQ(log.entries.join(", ").toStdString(), GetParam().writes.join(", ").toStdString());
  EXPECT_EQ(f.group_id, GetParam().group_id);
  EXPECT_EQ(f.favorited, GetParam().favorited);
  EXPECT_EQ(update.clear_filter_visible, GetParam().criteria_on_after);
  EXPECT_EQ(f.name, "FM");  // criterion values stay
  EXPECT_EQ(static_cast<size_t>(update.row_count), state.visible.size());
}

const QStringList kDropCriteria = {"-name_f", "-country_f", "-genre_f", "-bitrate_f", "-flag_f"};

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewCommands,
    testing::Values(
        CommandCase{"tv", [](AppState& s) { return choose_tv_view(s); }, {"-selected", "-favorited"}, 1, 0, true},
        CommandCase{"radio", [](AppState& s) { return choose_radio_view(s); }, {"selected=2", "-favorited"}, 2, 0, true},
        CommandCase{"video", [](AppState& s) { return choose_video_view(s); }, {"selected=3", "-favorited"}, 3, 0, true},
        CommandCase{"favorites", [](AppState& s) { return choose_favorites_view(s); },
                    QStringList{"selected=0", "favorited=1"} + kDropCriteria, 0, 1, false},
        CommandCase{"clear_filter", [](AppState& s) { return clear_filter(s); }, kDropCriteria, 1, 0, false},
        CommandCase{"country_germany", [](AppState& s) { return choose_country(s, 2); }, {"country_f=1", "country=49"}, 1, 0, true},
        CommandCase{"all_countries", [](AppState& s) { return choose_country(s, 0); }, {"-country_f"}, 1, 0, true},
        CommandCase{"no_entry_chosen", [](AppState& s) { return choose_country(s, -1); }, {"-country_f"}, 1, 0, true}),
    [](const testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.what); });

TEST(ViewCommands, CountryChoiceSetsTheFilter) {
  AppState state = sample_state();
  choose_country(state, 1);
  EXPECT_TRUE(state.catalogue.info.filter.country_flag);
  EXPECT_EQ(state.catalogue.info.filter.country_id, 33);
  EXPECT_EQ(state.visible, (std::vector<int>{3}));
  choose_country(state, 0);
  EXPECT_FALSE(state.catalogue.info.filter.country_flag);
  EXPECT_EQ(state.catalogue.info.filter.country_id, 0);
  EXPECT_EQ(state.visible, (std::vector<int>{0, 3}));
}

TEST(ViewCommands, ChoicesSurviveARestart) {
  AppState state = sample_state();
  choose_radio_view(state);
  choose_country(state, 2);
  TFilter restarted;
  restarted.group_id = kGroupTV;
  load_settings(restarted);
  EXPECT_EQ(restarted.group_id, kGroupRadio);
  EXPECT_TRUE(restarted.country_flag);
  EXPECT_EQ(restarted.country_id, 49);

  choose_favorites_view(state);
  restarted = TFilter{};
  restarted.group_id = kGroupTV;
  load_settings(restarted);
  EXPECT_EQ(restarted.group_id, 0);
  EXPECT_EQ(restarted.favorited, 1);
  EXPECT_FALSE(restarted.country_flag);

  choose_tv_view(state);
  restarted = TFilter{};
  restarted.group_id = kGroupTV;
  load_settings(restarted);
  EXPECT_EQ(restarted.group_id, kGroupTV);
  EXPECT_EQ(restarted.favorited, 0);
}

TEST(ViewCommands, UnwritableStoreIsToldOncePerCommandAndTheViewStillChanges) {
  RecordingMessageSink sink;
  QDir().mkpath(settings_file_path());
  AppState state = sample_state();
  state.catalogue.info.filter.name_flag = true;
  const ViewUpdate update = choose_favorites_view(state);
  EXPECT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(update.row_count, 2);
  EXPECT_FALSE(update.clear_filter_visible);
}
