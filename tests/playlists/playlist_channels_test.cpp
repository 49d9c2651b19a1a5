#include "catalogue/user_files.h"
#include "playlists/channel_playlist.h"
#include "playlists/m3u_reader.h"
#include "playlists/m3u_writer.h"
#include "playlists/playlist_channels.h"
#include "playlist_rows.h"
#include "playlists/playlist_sources.h"
#include "services/logo_cache.h"
#include "settings/source_table_choice.h"
#include "test_env.h"
#include "views/view_builder.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {
const char* const kList =
    "#EXTM3U url-tvg=\"http://guide.example/tv.xml.gz\"\n"
    "#EXTINF:-1 group-title=\"\u041d\u043e\u0432\u043e\u0441\u0442\u0438\",\u041f\u0435\u0440\u0432\u044b\u0439\n"
    "#EXTVLCOPT:http-user-agent=Box/1.0\n#EXTVLCOPT:http-referrer=http://ref.example/\n"
    "http://tv.example/1\n"
    "#EXTINF:-1 tvg-id=\"jazz.example\" group-title=\"Jazz Radio\",Jazz\nhttp://radio.example/jazz\n"
    "#EXTINF:-1 radio=\"true\" group-title=\"Music\",\u65e5\u672c FM\nhttp://radio.example/jp\n"
    "#EXTINF:-1,Plain\nhttp://tv.example/plain\n"
    "#EXTINF:-1,Not a stream\nfile:///etc/passwd\n";

PlaylistSource source(uint16_t id, int32_t group = 0) {
  PlaylistSource s;
  s.id = id;
  s.group = group;
  return s;
}

Channel catalogue_channel(int32_t id, const char* name, int favorited) {
  Channel c;
  c.id = id;
  c.name = ShortText::from_bytes(name);
  c.url = PackedText(std::string("http://cat/") + name);
  c.group_id = kGroupTV;
  c.favorited = favorited;
  return c;
}
}  // namespace

TEST(PlaylistChannels, EntriesBecomeChannelsOfTheirViews) {
  const Playlist playlist = read_m3u(kList);
  const SourceChannels made = channels_of_playlist(playlist, source(3), {"http://radio.example/jp", "http://gone/"});
  ASSERT_EQ(made.channels.size(), 4u);
  EXPECT_EQ(made.skipped, 1u);
  EXPECT_EQ(made.guide_addresses, std::vector<std::string>{"http://guide.example/tv.xml.gz"});
  const struct {
    const char* name;
    const char* genre;
    int32_t group;
    int favorited;
  } expected[] = {
      {"\u041f\u0435\u0440\u0432\u044b\u0439", "\u041d\u043e\u0432\u043e\u0441\u0442\u0438", kGroupTV, 0},
      {"Jazz", "Jazz Radio", kGroupRadio, 0},  // the group title says radio
      {"\u65e5\u672c FM", "Music", kGroupRadio, 1},
      {"Plain", "", kGroupTV, 0},
  };
  for (size_t k = 0; k < std::size(expected); ++k) {
    const Channel& c = made.channels[k];
    EXPECT_EQ(c.name.text().toStdString(), expected[k].name);
    EXPECT_EQ(c.genre.text().toStdString(), expected[k].genre);
    EXPECT_EQ(c.group_id, expected[k].group) << k;
    EXPECT_EQ(c.favorited, expected[k].favorited) << k;
    EXPECT_EQ(c.source, 3);
    EXPECT_EQ(c.user_defined, 0);
  }
  // The source's own group wins over what each entry says.
  for (const Channel& c : channels_of_playlist(playlist, source(3, kGroupVideo), {}).channels)
    EXPECT_EQ(c.group_id, kGroupVideo);
}

TEST(PlaylistChannels, JoinTheListWithoutTouchingTheCatalogueOrTheUserFiles) {
  Catalogue catalogue;
  catalogue.channels = {catalogue_channel(5, "five", 1), catalogue_channel(9, "nine", 0)};
  Channel mine = catalogue_channel(1000, "mine", 1);
  mine.user_defined = 1;
  catalogue.channels.push_back(mine);
  catalogue.favorites = {5, 1000};
  const std::string favorites_before = favorites_file_text(catalogue);
  const std::string userdef_before = userdef_file_text(catalogue);

  LoadedSources loaded;
  const Playlist playlist = read_m3u(kList);
  replace_source_channels(catalogue, loaded, channels_of_playlist(playlist, source(1), {"http://tv.example/1"}));
  replace_source_channels(catalogue, loaded, channels_of_playlist(read_m3u("http://other.example/a\n"), source(2), {}));
  ASSERT_EQ(catalogue.channels.size(), 3u + 4u + 1u);
  // A favourite marked and one taken away on playlist channels reach neither file.
  set_favorite(catalogue, 4, true);
  set_favorite(catalogue, 3, false);
  EXPECT_EQ(favorites_file_text(catalogue), favorites_before);
  EXPECT_EQ(userdef_file_text(catalogue), userdef_before);
  EXPECT_EQ(catalogue.favorites, (std::vector<int32_t>{5, 1000}));
  EXPECT_EQ(favorite_addresses(catalogue, 1), std::vector<std::string>{"http://radio.example/jazz"});

  // Ids of their own, below zero and each once.
  std::vector<int32_t> ids;
  for (const Channel& c : catalogue.channels)
    if (c.source != 0) ids.push_back(c.id);
  EXPECT_EQ(ids, (std::vector<int32_t>{-1, -2, -3, -4, -5}));

  // Per-channel HTTP options, for the playlist's channels only.
  const HttpOptionsFound first = http_options_for(loaded, catalogue.channels[3]);
  EXPECT_EQ(first.user_agent, "Box/1.0");
  EXPECT_EQ(first.referrer, "http://ref.example/");
  EXPECT_EQ(http_options_for(loaded, catalogue.channels[4]).user_agent, "");
  EXPECT_EQ(http_options_for(loaded, catalogue.channels[0]).user_agent, "");
  // The guide's id, for the channel that has one.
  EXPECT_EQ(tvg_id_for(loaded, catalogue.channels[4]), "jazz.example");
  EXPECT_EQ(tvg_id_for(loaded, catalogue.channels[3]), "");

  // A refresh of source 1 with a changed list keeps the source 2 and the catalogue's channels.
  replace_source_channels(catalogue, loaded,
                          channels_of_playlist(read_m3u("#EXTINF:-1,New\nhttp://tv.example/new\n"), source(1), {}));
  std::vector<std::string> urls;
  for (const Channel& c : catalogue.channels) urls.push_back(c.url.str());
  EXPECT_EQ(urls, (std::vector<std::string>{"http://cat/five", "http://cat/nine", "http://cat/mine",
                                            "http://other.example/a", "http://tv.example/new"}));
  EXPECT_EQ(http_options_for(loaded, catalogue.channels[4]).user_agent, "");
  EXPECT_TRUE(loaded.extras.empty());
  remove_source_channels(catalogue, loaded, 2);
  EXPECT_EQ(catalogue.channels.size(), 4u);
  EXPECT_EQ(playlist_channels_of(catalogue.channels).size(), 1u);
}

// The logo's address is kept for the channels that have one, and only for them; one too long to
// fetch is not kept at all.
TEST(PlaylistChannels, AChannelKeepsItsLogoAddress) {
  const std::string too_long = "http://logos.example/" + std::string(kMaxLogoAddressBytes, 'x') + ".png";
  const Playlist playlist = read_m3u("#EXTINF:-1 tvg-logo=\"http://logos.example/a.png\",With logo\nhttp://tv.example/a\n"
                                     "#EXTINF:-1,Without\nhttp://tv.example/b\n"
                                     "#EXTINF:-1 tvg-logo=\"" + too_long + "\",Too long\nhttp://tv.example/c\n");
  Catalogue catalogue;
  catalogue.channels = {catalogue_channel(5, "five", 0)};
  LoadedSources loaded;
  replace_source_channels(catalogue, loaded, channels_of_playlist(playlist, source(1), {}));
  EXPECT_EQ(loaded.extras.size(), 1u);
  std::map<std::string, std::string> logos;
  for (const Channel& c : catalogue.channels) logos[c.name.text().toStdString()] = logo_for(loaded, c);
  EXPECT_EQ(logos, (std::map<std::string, std::string>{
                       {"five", ""}, {"With logo", "http://logos.example/a.png"}, {"Without", ""}, {"Too long", ""}}));
}

TEST(PlaylistChannels, ExportThenImportGivesTheChannelsBack) {
  const Playlist playlist = read_m3u(kList);
  const SourceChannels made = channels_of_playlist(playlist, source(1), {});
  const std::vector<int> positions{0, 1, 2, 3};
  const Playlist again = read_m3u(write_extended_m3u(playlist_of_channels(made.channels, positions)));
  EXPECT_EQ(again.skipped, 0u);
  const SourceChannels back = channels_of_playlist(again, source(1), {});
  ASSERT_EQ(back.channels.size(), made.channels.size());
  for (size_t k = 0; k < made.channels.size(); ++k) {
    EXPECT_TRUE(back.channels[k].name == made.channels[k].name) << k;
    EXPECT_TRUE(back.channels[k].genre == made.channels[k].genre) << k;
    EXPECT_EQ(back.channels[k].url, made.channels[k].url) << k;
    EXPECT_EQ(back.channels[k].group_id, made.channels[k].group_id) << k;
  }
}

namespace {
const char* const kCountriesAndGenres =
    "#EXTM3U\n"
    "#EXTINF:-1 tvg-country=\"UA;PL\" group-title=\"news\",Kyiv News\nhttp://tv.example/kyiv\n"
    "#EXTINF:-1 tvg-country=\"pl\" group-title=\"Kids\",Bajki\nhttp://tv.example/bajki\n"
    "#EXTINF:-1 tvg-language=\"Ukrainian\" group-title=\"News\",Lviv\nhttp://tv.example/lviv\n"
    "#EXTINF:-1 tvg-country=\"Atlantis\",Deep\nhttp://tv.example/deep\n"
    "#EXTINF:-1,Nowhere\nhttp://tv.example/nowhere\n";

template <typename Row>
std::vector<std::string> row_names(const std::vector<Row>& rows) {
  std::vector<std::string> names;
  for (const Row& row : rows) names.push_back(row.name.text().toStdString());
  return names;
}

std::vector<std::string> listed_names(ChannelListState& state) {
  build_visible_list(state);
  std::vector<std::string> names;
  for (int position : state.visible) names.push_back(state.catalogue.channels[static_cast<size_t>(position)].name.text().toStdString());
  std::sort(names.begin(), names.end());
  return names;
}

const Channel& named(const Catalogue& catalogue, const char* name) {
  return *std::find_if(catalogue.channels.begin(), catalogue.channels.end(),
                       [&](const Channel& c) { return c.name.text() == QString::fromUtf8(name); });
}
}  // namespace

// A playlist's countries (codes, names, languages) and group titles are the catalogue's rows where
// the names agree, and rows of their own in memory where they do not; the filter then finds the
// playlist's channels as it finds the catalogue's, across a new catalogue and a restart.
TEST(PlaylistChannels, CountriesAndGenresJoinTheCataloguesTables) {
  ChannelListState state;
  Catalogue& catalogue = state.catalogue;
  catalogue.filter.group_id = kGroupTV;
  catalogue.countries = {{0, ShortText::from_bytes("All Countries")}, {7, ShortText::from_bytes("Ukraine")},
                         {9, ShortText::from_bytes("Norway")}};
  catalogue.genres = {{0, ShortText::from_bytes("All Genres")}, {10, ShortText::from_bytes("News")}};
  Channel own = catalogue_channel(5, "Catalogue News", 0);
  own.country_id = 7;
  own.genre_id = 10;
  catalogue.channels = {own};
  const std::string favorites_before = favorites_file_text(catalogue);
  const std::string userdef_before = userdef_file_text(catalogue);

  LoadedSources loaded;
  replace_source_channels(catalogue, loaded, channels_of_playlist(read_m3u(kCountriesAndGenres), source(1), {}));
  EXPECT_EQ(row_names(catalogue.countries),
            (std::vector<std::string>{"All Countries", "Ukraine", "Norway", "Atlantis", "Poland"}));
  EXPECT_EQ(row_names(catalogue.genres), (std::vector<std::string>{"All Genres", "News", "Kids"}));
  EXPECT_EQ(named(catalogue, "Kyiv News").country_id, 7);
  EXPECT_EQ(named(catalogue, "Lviv").country_id, 7);  // by its language
  EXPECT_EQ(named(catalogue, "Nowhere").country_id, 0);
  EXPECT_EQ(named(catalogue, "Kyiv News").genre_id, 10);  // "news" is the catalogue's "News"
  const int32_t poland = catalogue.countries[4].id, kids = catalogue.genres[2].id;
  EXPECT_GE(poland, kFirstSourceTableId);

  ChannelFilter& filter = catalogue.filter;
  filter.country_flag = true;
  filter.country_id = 7;
  EXPECT_EQ(listed_names(state), (std::vector<std::string>{"Catalogue News", "Kyiv News", "Lviv"}));
  filter.country_id = static_cast<uint16_t>(poland);
  EXPECT_EQ(listed_names(state), std::vector<std::string>{"Bajki"});
  filter.country_flag = false;
  filter.genre_flag = true;
  filter.genre_id = 10;
  EXPECT_EQ(listed_names(state), (std::vector<std::string>{"Catalogue News", "Kyiv News", "Lviv"}));
  filter.genre_id = static_cast<uint16_t>(kids);
  EXPECT_EQ(listed_names(state), std::vector<std::string>{"Bajki"});
  // The status criterion knows nothing of them: "Works fine" hides none.
  filter.genre_flag = false;
  filter.status_flag = filter.workfine = true;
  EXPECT_EQ(listed_names(state).size(), 5u);
  filter.status_flag = false;
  EXPECT_EQ(favorites_file_text(catalogue), favorites_before);
  EXPECT_EQ(userdef_file_text(catalogue), userdef_before);

  // A new catalogue that has Poland and no Ukraine: the channels and the filter follow it.
  filter.country_flag = true;
  filter.country_id = static_cast<uint16_t>(poland);
  catalogue.countries = {{0, ShortText::from_bytes("All Countries")}, {20, ShortText::from_bytes("POLAND")}};
  catalogue.genres = {{0, ShortText::from_bytes("All Genres")}, {10, ShortText::from_bytes("News")}};
  forget_catalogue_rows(catalogue.source_tables);
  attach_source_tables(catalogue);
  EXPECT_EQ(row_names(catalogue.countries), (std::vector<std::string>{"All Countries", "POLAND", "Atlantis", "Ukraine"}));
  EXPECT_EQ(named(catalogue, "Bajki").country_id, 20);
  EXPECT_EQ(filter.country_id, 20);
  EXPECT_EQ(named(catalogue, "Kyiv News").country_id, catalogue.countries[3].id);
  EXPECT_EQ(listed_names(state), std::vector<std::string>{"Bajki"});

  // A choice of a country of the playlist's own is made again at the next start, where the names
  // come in another order.
  filter.country_id = static_cast<uint16_t>(catalogue.countries[3].id);  // Ukraine, the playlist's
  store_source_table_choice(catalogue);
  ChannelListState next;
  next.catalogue.filter = filter;  // as the settings give it back
  next.catalogue.source_tables.countries.intern("Somewhere else");
  restore_source_table_choice(next.catalogue);
  replace_source_channels(next.catalogue, loaded, channels_of_playlist(read_m3u(kCountriesAndGenres), source(1), {}));
  EXPECT_EQ(listed_names(next), (std::vector<std::string>{"Kyiv News", "Lviv"}));

  // The rows go with the last channel that names them.
  remove_source_channels(catalogue, loaded, 1);
  EXPECT_EQ(row_names(catalogue.countries), (std::vector<std::string>{"All Countries", "POLAND"}));
  EXPECT_EQ(row_names(catalogue.genres), (std::vector<std::string>{"All Genres", "News"}));
}

// Without a catalogue the tables are the playlist's alone, behind a first row that stands for all.
TEST(PlaylistChannels, WithoutACatalogueTheTablesAreThePlaylists) {
  Catalogue catalogue;
  LoadedSources loaded;
  replace_source_channels(catalogue, loaded, channels_of_playlist(read_m3u(kCountriesAndGenres), source(1), {}));
  EXPECT_EQ(row_names(catalogue.countries), (std::vector<std::string>{"All Countries", "Atlantis", "Poland", "Ukraine"}));
  EXPECT_EQ(row_names(catalogue.genres), (std::vector<std::string>{"All Genres", "Kids", "news"}));
  EXPECT_EQ(catalogue.countries[0].id, 0);
}

// A channel a playlist gave the list goes out as the entry it came from, every field as read; when
// its copy is gone, what the list keeps of it (the request headers, guide id, number and shift).
TEST(PlaylistChannels, ExportGivesEveryFieldBack) {
  const std::string list =
      "#EXTM3U tvg-shift=1\n"
      "#EXTINF:-1 tvg-id=\"one.tv\" tvg-name=\"One\" tvg-logo=\"http://l/1.png\" tvg-country=\"UA\" tvg-language=\"Ukrainian\" "
      "tvg-chno=\"12\" group-title=\"News\" user-agent=\"Box/1\",One HD\n"
      "#EXTHTTP:{\"cookie\":\"sid=1\",\"origin\":\"http://o/\"}\nhttp://tv.example/1?t={PSID}|Referer=http://r/\n"
      "#EXTINF:-1 tvg-shift=-2 radio=\"true\",Jazz\nhttp://radio.example/jazz\n";
  const Playlist playlist = read_m3u(list);
  ASSERT_EQ(playlist.skipped, 0u);
  Catalogue catalogue;
  LoadedSources loaded;
  replace_source_channels(catalogue, loaded, channels_of_playlist(playlist, source(4), {}));
  std::vector<ChannelToExport> chosen;
  for (const Channel& c : catalogue.channels) {
    const ChannelExtras* extras = channel_extras(loaded, c);
    chosen.push_back({c, extras ? *extras : ChannelExtras()});
  }
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_EQ(chosen[0].extras.number, 12u);

  const QString app_data = quovi_test::sandbox_root() + "/export-data";
  const QString copy = playlist_copy_path(app_data, 4);
  ASSERT_TRUE(QDir().mkpath(QFileInfo(copy).path()));
  ASSERT_TRUE(quovi_test::write_all(copy, QByteArray::fromStdString(list)));
  const Playlist again = read_m3u(write_extended_m3u(playlist_of_channels(chosen, app_data)));
  EXPECT_EQ(again.skipped, 0u);
  EXPECT_EQ(quovi_test::full_rows(again), quovi_test::full_rows(playlist));

  ASSERT_TRUE(QFile::remove(copy));
  const Playlist kept = read_m3u(write_extended_m3u(playlist_of_channels(chosen, app_data)));
  EXPECT_EQ(quovi_test::request_rows(kept), quovi_test::request_rows(playlist));
  EXPECT_EQ(kept.text(kept.entries[0].tvg_id), "one.tv");
}

TEST(PlaylistChannels, AnExportNamedWithoutAnExtensionIsAnM3u) {
  EXPECT_EQ(playlist_export_path("/home/u/list"), "/home/u/list.m3u");
  EXPECT_EQ(playlist_export_path("/home/u/list.m3u8"), "/home/u/list.m3u8");
  EXPECT_EQ(playlist_export_path("/home/u.d/list"), "/home/u.d/list.m3u");
  EXPECT_EQ(playlist_export_path(""), "");
}
