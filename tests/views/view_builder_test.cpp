#include "settings/settings_store.h"
#include "test_env.h"
#include "views/view_builder.h"
#include "widgets/messages.h"

#include <QDir>
#include <gtest/gtest.h>

#include <string>

namespace {
Channel channel(int32_t id, int32_t group, const char* name = "Channel") {
  Channel item;
  item.id = id;
  item.group_id = group;
  item.type_id = 1;
  item.name = ShortText::from_text(QString::fromUtf8(name));
  item.status = kStatusNew;
  return item;
}

ChannelFilter tv_view() {
  ChannelFilter f;
  f.group_id = kGroupTV;
  return f;
}

Country country(int32_t id, const char* name) { return {id, ShortText::from_text(QString::fromUtf8(name))}; }

ChannelListState sample_state() {
  ChannelListState state;
  Catalogue& catalogue = state.catalogue;
  catalogue.filter = tv_view();
  catalogue.countries = {country(0, "All Countries"), country(33, "France"), country(49, "Germany")};
  catalogue.genres = {{0, ShortText::from_text("All Genres")}, {12, ShortText::from_text("Jazz")}};
  catalogue.channels = {channel(1, kGroupTV, "One TV"), channel(2, kGroupRadio, "Radio FM"), channel(3, kGroupVideo, "Clips"),
                   channel(4, kGroupTV, "Two TV"), channel(5, kGroupRadio, "radio fm")};
  catalogue.channels[1].favorited = 1;
  catalogue.channels[2].favorited = 1;
  catalogue.channels[3].country_id = 33;
  return state;
}
}  // namespace

struct MatchCase {
  const char* what;
  void (*prepare)(Channel&, ChannelFilter&);
  bool visible;
};
void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.what; }


class ChannelMatches : public testing::TestWithParam<MatchCase> {};

// Each case builds the list of a catalogue that holds one channel.
TEST_P(ChannelMatches, FollowsEachCriterion) {
  Channel item = channel(1, kGroupTV, "Radio FM");
  ChannelFilter filter = tv_view();
  GetParam().prepare(item, filter);
  ChannelListState state;
  state.catalogue.filter = filter;
  state.catalogue.channels = {item};
  build_visible_list(state);
  EXPECT_EQ(state.visible, GetParam().visible ? std::vector<int>{0} : std::vector<int>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChannelMatches,
    testing::Values(
        MatchCase{"plain_tv_channel", [](Channel&, ChannelFilter&) {}, true},
        MatchCase{"other_group", [](Channel& i, ChannelFilter&) { i.group_id = kGroupRadio; }, false},
        MatchCase{"type_2_never", [](Channel& i, ChannelFilter&) { i.type_id = 2; }, false},
        MatchCase{"type_2_not_in_favourites", [](Channel& i, ChannelFilter& f) { i.type_id = 2; i.favorited = 1; f.group_id = 0; f.favorited = 1; }, false},
        MatchCase{"type_0_listed", [](Channel& i, ChannelFilter&) { i.type_id = 0; }, true},
        MatchCase{"favourite_of_any_group", [](Channel& i, ChannelFilter& f) { i.group_id = kGroupVideo; i.favorited = 1; f.group_id = 0; f.favorited = 1; }, true},
        MatchCase{"not_a_favourite", [](Channel&, ChannelFilter& f) { f.group_id = 0; f.favorited = 1; }, false},
        MatchCase{"group_zero_without_favourites_shows_the_others", [](Channel&, ChannelFilter& f) { f.group_id = 0; f.favorited = 0; }, true},
        MatchCase{"unknown_group", [](Channel&, ChannelFilter& f) { f.group_id = 7; }, false},
        MatchCase{"name_fragment_found", [](Channel&, ChannelFilter& f) { f.name_flag = true; f.name = "FM"; }, true},
        MatchCase{"name_case_sensitive", [](Channel&, ChannelFilter& f) { f.name_flag = true; f.name = "fm"; }, false},
        MatchCase{"empty_fragment_hides_all", [](Channel&, ChannelFilter& f) { f.name_flag = true; f.name = ""; }, false},
        MatchCase{"empty_name_hidden", [](Channel& i, ChannelFilter& f) { i.name = {}; f.name_flag = true; f.name = " "; }, false},
        MatchCase{"fragment_off_is_ignored", [](Channel&, ChannelFilter& f) { f.name = "zzz"; }, true},
        MatchCase{"accented_fragment", [](Channel& i, ChannelFilter& f) { i.name = ShortText::from_text("Caf\u00e9 \u20ac"); f.name_flag = true; f.name = "\u00e9 \u20ac"; }, true},
        MatchCase{"fragment_outside_code_page", [](Channel& i, ChannelFilter& f) { i.name = ShortText::from_text("Radio ?"); f.name_flag = true; f.name = "\u4e2d"; }, false},
        MatchCase{"country", [](Channel& i, ChannelFilter& f) { i.country_id = 33; f.country_flag = true; f.country_id = 33; }, true},
        MatchCase{"other_country", [](Channel& i, ChannelFilter& f) { i.country_id = 34; f.country_flag = true; f.country_id = 33; }, false},
        MatchCase{"country_above_16_bits", [](Channel& i, ChannelFilter& f) { i.country_id = 70000; f.country_flag = true; f.country_id = 70000 & 0xFFFF; }, false},
        MatchCase{"genre", [](Channel& i, ChannelFilter& f) { i.genre_id = 12; f.genre_flag = true; f.genre_id = 12; }, true},
        MatchCase{"other_genre", [](Channel& i, ChannelFilter& f) { i.genre_id = 13; f.genre_flag = true; f.genre_id = 12; }, false},
        MatchCase{"bitrate_above", [](Channel& i, ChannelFilter& f) { i.bitrate = 129; f.bitrate_flag = true; f.bitrate = 128; }, true},
        MatchCase{"bitrate_equal_hidden", [](Channel& i, ChannelFilter& f) { i.bitrate = 128; f.bitrate_flag = true; f.bitrate = 128; }, false},
        MatchCase{"negative_threshold", [](Channel& i, ChannelFilter& f) { i.bitrate = 0; f.bitrate_flag = true; f.bitrate = -1; }, true},
        MatchCase{"status_new_hidden", [](Channel&, ChannelFilter& f) { f.status_flag = true; f.new_ = true; }, false},
        MatchCase{"status_switch_without_criterion", [](Channel&, ChannelFilter& f) { f.new_ = true; }, true},
        MatchCase{"all_status_switches_off", [](Channel&, ChannelFilter& f) { f.status_flag = true; }, true},
        MatchCase{"workfine_hides_user_channel", [](Channel& i, ChannelFilter& f) { i.user_defined = 1; i.status = 0; f.status_flag = true; f.workfine = true; }, false},
        MatchCase{"spam_hidden", [](Channel& i, ChannelFilter& f) { i.status = kStatusSpam; f.status_flag = true; f.spam = true; }, false},
        MatchCase{"other_status_kept", [](Channel& i, ChannelFilter& f) { i.status = kStatusDuplicate; f.status_flag = true; f.spam = true; f.notworking = true; f.wrong = true; }, true}),
    [](const testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.what); });

TEST(BuildVisibleList, ListsMatchingPositionsInOrder) {
  ChannelListState state = sample_state();
  state.visible = {99, 98, 97, 96, 95, 94, 93};  // left over from a larger catalogue
  const ViewUpdate update = build_visible_list(state);
  EXPECT_EQ(state.visible, (std::vector<int>{0, 3}));
  EXPECT_EQ(update.row_count, 2);
  EXPECT_EQ(update.caption, QStringLiteral("Quovi Pro - 5.1.5.0 - Tv"));
  EXPECT_FALSE(update.clear_filter_visible);

  ChannelFilter& f = state.catalogue.filter;
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
  ChannelFilter f;
  const std::pair<uint16_t, const char*> cases[] = {{0, " - Favorites"}, {1, " - Tv"}, {2, " - Radio"}, {3, " - Video"}};
  for (const auto& [group, suffix] : cases) {
    f.group_id = group;
    EXPECT_EQ(view_caption(f), QStringLiteral("Quovi Pro - 5.1.5.0") + suffix);
  }
  f.group_id = 7;
  EXPECT_FALSE(view_caption(f).has_value());
}

TEST(BuildVisibleList, EmptyCatalogueStillNamesTheView) {
  ChannelListState state;
  state.catalogue.filter.group_id = kGroupRadio;
  const ViewUpdate update = build_visible_list(state);
  EXPECT_TRUE(state.visible.empty());
  EXPECT_EQ(update.row_count, 0);
  EXPECT_EQ(update.caption, QStringLiteral("Quovi Pro - 5.1.5.0 - Radio"));
}

TEST(RebuildView, PutsTheWindowIntoTheNoChannelStateFirst) {
  ChannelListState state = sample_state();
  std::vector<size_t> seen;
  rebuild_view(state, [&] { seen.push_back(state.visible.size()); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], 0u);  // called before the list was built
  EXPECT_EQ(state.visible.size(), 2u);
}

TEST(CountryList, SelectsTheChosenCountryOnlyWhileTheCriterionIsOn) {
  ChannelListState state = sample_state();
  Catalogue& catalogue = state.catalogue;
  catalogue.filter.country_id = 49;
  CountryList list = country_list(catalogue);
  EXPECT_EQ(list.entries, (QStringList{"All Countries", "France", "Germany"}));
  EXPECT_EQ(list.selected, 0);
  catalogue.filter.country_flag = true;
  EXPECT_EQ(country_list(catalogue).selected, 2);
  catalogue.filter.country_id = 50;
  EXPECT_EQ(country_list(catalogue).selected, 0);
  EXPECT_EQ(genre_names(catalogue), (QStringList{"All Genres", "Jazz"}));
  catalogue.countries.clear();
  EXPECT_TRUE(country_list(catalogue).entries.isEmpty());
}

struct CommandCase {
  const char* what;
  ViewUpdate (*run)(ChannelListState&);
  QStringList writes;  // in the order they reach the store: "value=data", "-value" for a removal
  uint16_t group_id;
  uint16_t favorited;
  bool criteria_on_after;
};
void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.what; }


class ViewCommands : public testing::TestWithParam<CommandCase> {};

// Every command starts from a store that holds a Radio view with every criterion on.
TEST_P(ViewCommands, WriteTheStoreAndChangeTheFilter) {
  for (const char* v : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) write_integer_setting(kSettingsKey, v, 1);
  write_text_setting(kSettingsKey, "name", "FM");
  write_integer_setting(kSettingsKey, "country", 33);
  write_integer_setting(kSettingsKey, "selected", 2);
  write_integer_setting(kSettingsKey, "favorited", 1);

  ChannelListState state = sample_state();
  ChannelFilter& f = state.catalogue.filter;
  f.name_flag = f.country_flag = f.genre_flag = f.bitrate_flag = f.status_flag = true;
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
        CommandCase{"tv", [](ChannelListState& s) { return choose_tv_view(s); }, {"-selected", "-favorited"}, 1, 0, true},
        CommandCase{"radio", [](ChannelListState& s) { return choose_radio_view(s); }, {"selected=2", "-favorited"}, 2, 0, true},
        CommandCase{"video", [](ChannelListState& s) { return choose_video_view(s); }, {"selected=3", "-favorited"}, 3, 0, true},
        CommandCase{"favorites", [](ChannelListState& s) { return choose_favorites_view(s); },
                    QStringList{"selected=0", "favorited=1"} + kDropCriteria, 0, 1, false},
        CommandCase{"clear_filter", [](ChannelListState& s) { return clear_filter(s); }, kDropCriteria, 1, 0, false},
        CommandCase{"country_germany", [](ChannelListState& s) { return choose_country(s, 2); }, {"country_f=1", "country=49"}, 1, 0, true},
        CommandCase{"all_countries", [](ChannelListState& s) { return choose_country(s, 0); }, {"-country_f"}, 1, 0, true},
        CommandCase{"no_entry_chosen", [](ChannelListState& s) { return choose_country(s, -1); }, {"-country_f"}, 1, 0, true}),
    [](const testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.what); });

TEST(ViewCommands, CountryChoiceSetsTheFilter) {
  ChannelListState state = sample_state();
  choose_country(state, 1);
  EXPECT_TRUE(state.catalogue.filter.country_flag);
  EXPECT_EQ(state.catalogue.filter.country_id, 33);
  EXPECT_EQ(state.visible, (std::vector<int>{3}));
  choose_country(state, 0);
  EXPECT_FALSE(state.catalogue.filter.country_flag);
  EXPECT_EQ(state.catalogue.filter.country_id, 0);
  EXPECT_EQ(state.visible, (std::vector<int>{0, 3}));
}

TEST(ViewCommands, ChoicesSurviveARestart) {
  ChannelListState state = sample_state();
  choose_radio_view(state);
  choose_country(state, 2);
  ChannelFilter restarted;
  restarted.group_id = kGroupTV;
  load_settings(restarted);
  EXPECT_EQ(restarted.group_id, kGroupRadio);
  EXPECT_TRUE(restarted.country_flag);
  EXPECT_EQ(restarted.country_id, 49);

  choose_favorites_view(state);
  restarted = ChannelFilter{};
  restarted.group_id = kGroupTV;
  load_settings(restarted);
  EXPECT_EQ(restarted.group_id, 0);
  EXPECT_EQ(restarted.favorited, 1);
  EXPECT_FALSE(restarted.country_flag);

  choose_tv_view(state);
  restarted = ChannelFilter{};
  restarted.group_id = kGroupTV;
  load_settings(restarted);
  EXPECT_EQ(restarted.group_id, kGroupTV);
  EXPECT_EQ(restarted.favorited, 0);
}

TEST(ViewCommands, UnwritableStoreIsToldOncePerCommandAndTheViewStillChanges) {
  RecordingMessageSink sink;
  QDir().mkpath(settings_file_path());
  ChannelListState state = sample_state();
  state.catalogue.filter.name_flag = true;
  const ViewUpdate update = choose_favorites_view(state);
  EXPECT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(update.row_count, 2);
  EXPECT_FALSE(update.clear_filter_visible);
}
