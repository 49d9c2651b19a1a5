#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/user_files.h"
#include "catalogue/zip_memory_writer.h"
#include "settings/settings_store.h"
#include "shell/catalogue_load.h"
#include "test_env.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
const QDateTime kNow(QDate(2013, 2, 5), QTime(12, 0), Qt::LocalTime);

QString channels_file() { return quovi_test::catalogue_folder() + "/channels.dat"; }
QString userdef_file() { return quovi_test::catalogue_folder() + "/userdef.dat"; }
}  // namespace

// Without a catalogue the list is still a real view: the stored one with its criteria, the user's
// own channels and favourites; the download is offered.
TEST(load_catalogue, NoDatabaseStartsInTheStoredViewWithTheUsersFiles) {
  RecordingMessageSink sink;
  QDir().mkpath(quovi_test::catalogue_folder());
  ASSERT_TRUE(quovi_test::write_all(userdef_file(), "100001|2|0|Mine|http://a/|128|1||0|0|\r\n"
                                                    "100002|1|0|Other|http://b/|128|1||0|0|\r\n"));
  ASSERT_TRUE(quovi_test::write_all(quovi_test::catalogue_folder() + "/favorites.dat", "100002\r\n"));
  write_integer_setting(kSettingsKey, "selected", kGroupRadio);
  AppState state;
  bool rebuilt = false;
  const auto update = load_catalogue(state, nullptr, [&] { rebuilt = true; }, kNow);
  ASSERT_TRUE(update.has_value());
  EXPECT_TRUE(state.outdated);
  EXPECT_TRUE(rebuilt);
  EXPECT_TRUE(state.catalogue.user_files_loaded);
  EXPECT_EQ(state.catalogue.filter.group_id, kGroupRadio);
  EXPECT_EQ(state.catalogue.filter.favorited, 0);
  EXPECT_EQ(update->caption.value_or(QString()).endsWith(" - Radio"), true);
  ASSERT_EQ(update->row_count, 1);
  EXPECT_EQ(state.catalogue.channels[state.visible[0]].name.text(), "Mine");
  EXPECT_EQ(state.catalogue.channels[find_channel_by_id(state.catalogue, 100002)].favorited, 1);
  EXPECT_EQ(state.catalogue.app_data, app_data_folder());
  EXPECT_TRUE(sink.shown.empty());
}

TEST(load_catalogue, LoadsSortsAndJudgesTheStamp) {
  RecordingMessageSink sink;
  ASSERT_TRUE(QFile::copy(quovi_test::fixture("catalogue/sample-channels.dat"), channels_file()));
  ASSERT_TRUE(quovi_test::write_all(userdef_file(), "100001|1|0|Mine|http://a/|128|1||33|12|\r\n"));
  AppState state;
  const auto update = load_catalogue(state, nullptr, {}, kNow);
  ASSERT_TRUE(update.has_value());
  EXPECT_FALSE(state.outdated);  // the sample's stamp is 31 Jan 2013, five days before kNow
  EXPECT_TRUE(state.catalogue.user_files_loaded);
  const auto& channels = state.catalogue.channels;
  ASSERT_EQ(channels.size(), 7u);
  // The user channel got its genre name from the database's table.
  const auto mine = std::find_if(channels.begin(), channels.end(), [](const Channel& c) { return c.user_defined == 1; });
  ASSERT_NE(mine, channels.end());
  EXPECT_EQ(mine->genre.text(), QStringLiteral("Jazz"));
  // TV view, sorted by name: Euro News, Mine, Télé Jazz (type 2 is never listed).
  EXPECT_EQ(update->row_count, 3);
  EXPECT_EQ(channels[state.visible[0]].name.text(), QStringLiteral("Euro News"));
  EXPECT_EQ(channels[state.visible[1]].name.text(), QStringLiteral("Mine"));
  EXPECT_TRUE(load_catalogue(state, nullptr, {}, kNow.addDays(20)).has_value());
  EXPECT_TRUE(state.outdated);
}

TEST(load_catalogue, DamagedDatabaseKeepsUserChannelsAndTheFile) {
  RecordingMessageSink sink;
  // A channel line with a non-numeric id.
  const std::string zip = make_zip({{"tv.dat", "x1|QQ==|http://a/|1|1||0|0||0|0|0|0|0|0|0\r\n"}});
  const std::string file = encrypt_channel_file(zip);
  ASSERT_TRUE(quovi_test::write_all(channels_file(), QByteArray::fromStdString(file)));
  ASSERT_TRUE(quovi_test::write_all(userdef_file(), "100001|1|0|Mine|http://a/|128|1||33|12|\r\n"));
  AppState state;
  const auto update = load_catalogue(state, nullptr, {}, kNow);
  ASSERT_TRUE(update.has_value());
  EXPECT_TRUE(state.outdated);
  ASSERT_EQ(state.catalogue.channels.size(), 1u);
  EXPECT_EQ(state.catalogue.channels[0].user_defined, 1);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Error);
  EXPECT_TRUE(sink.shown[0].text.contains("tv.dat")) << sink.shown[0].text.toStdString();
  EXPECT_TRUE(sink.shown[0].text.contains(QDir::toNativeSeparators(channels_file())));
  EXPECT_EQ(quovi_test::read_all(channels_file()).toStdString(), file);
}

namespace {
QString favorites_file() { return quovi_test::catalogue_folder() + "/favorites.dat"; }

// The lines of a file in sorted order, joined with ",".
std::string sorted_lines(const QByteArray& content) {
  QStringList lines = QString::fromLatin1(content).split("\r\n", Qt::SkipEmptyParts);
  lines.sort();
  return lines.join(',').toStdString();
}
}  // namespace

// favorites.dat may name channels of the catalogue; only a catalogue in memory can tell which of
// them are gone.
TEST(load_catalogue, FavouritesOfTheCatalogueSurviveADatabaseThatBringsNoChannels) {
  const std::string no_channel_members = encrypt_channel_file(
      make_zip({{"version.dat", "201301311200\r\n"}, {"countries.dat", "0|All\r\n"}, {"genres.dat", "0|All\r\n"}}));
  const std::string damaged = encrypt_channel_file(make_zip({{"tv.dat", "x1|QQ==|http://a/|1|1||0|0||0|0|0|0|0|0|0\r\n"}}));
  const struct {
    const char* what;
    QByteArray database;
    const char* favourites_after_close;  // sorted
  } cases[] = {
      {"damaged", QByteArray::fromStdString(damaged), "1,100001,101"},
      {"empty", "", "1,100001,101"},
      {"no channel members", QByteArray::fromStdString(no_channel_members), "1,100001,101"},
      // Loaded with channels: 1 marks none of them and goes, 101 is one of them.
      {"sample", quovi_test::read_all(quovi_test::fixture("catalogue/sample-channels.dat")), "100001,101"},
  };
  for (const auto& c : cases) {
    RecordingMessageSink sink;
    QDir(quovi_test::catalogue_folder()).removeRecursively();
    ASSERT_TRUE(quovi_test::write_all(channels_file(), c.database));
    ASSERT_TRUE(quovi_test::write_all(favorites_file(), "1\r\n101\r\n100001\r\n"));
    ASSERT_TRUE(quovi_test::write_all(userdef_file(), "100001|1|0|Mine|http://a/|128|1||33|12|\r\n"));
    AppState state;
    ASSERT_TRUE(load_catalogue(state, nullptr, {}, kNow).has_value()) << c.what;
    ASSERT_TRUE(save_user_files(state.catalogue)) << c.what;
    EXPECT_EQ(sorted_lines(quovi_test::read_all(favorites_file())), c.favourites_after_close) << c.what;
    if (std::string(c.favourites_after_close) == "1,100001,101") {  // nothing dropped: the order stays too
      EXPECT_EQ(quovi_test::read_all(favorites_file()), "1\r\n101\r\n100001\r\n") << c.what;
    }
  }
}

namespace {
std::vector<std::string> loaded_channels(const AppState& state) {
  std::vector<std::string> out;
  for (const Channel& item : state.catalogue.channels)
    out.push_back(std::to_string(item.id) + "/" + std::to_string(item.favorited) + "/" + item.genre.text().toStdString());
  return out;
}
}  // namespace

// The start-up reads the database ahead on a worker; the load then gives what reading it in place
// gives. A read made before the file was there is not taken for one.
TEST(load_catalogue, AReadBegunAheadGivesWhatReadingNowGives) {
  RecordingMessageSink sink;
  QDir().mkpath(quovi_test::catalogue_folder());
  ASSERT_TRUE(quovi_test::write_all(favorites_file(), "101\r\n100001\r\n"));
  ASSERT_TRUE(quovi_test::write_all(userdef_file(), "100001|1|0|Mine|http://a/|128|1||33|12|\r\n"));
  CatalogueReadAhead before_the_file(app_data_folder());
  ASSERT_TRUE(QFile::copy(quovi_test::fixture("catalogue/sample-channels.dat"), channels_file()));

  AppState now;
  ASSERT_TRUE(load_catalogue(now, nullptr, {}, kNow).has_value());
  ASSERT_EQ(now.catalogue.channels.size(), 7u);
  for (const bool ahead : {true, false}) {
    CatalogueReadAhead after_the_file(app_data_folder());
    CatalogueReadAhead& read_ahead = ahead ? after_the_file : before_the_file;
    AppState state;
    const auto update = load_catalogue(state, nullptr, {}, kNow, &read_ahead);
    ASSERT_TRUE(update.has_value()) << ahead;
    EXPECT_EQ(loaded_channels(state), loaded_channels(now)) << ahead;
    EXPECT_EQ(state.visible, now.visible) << ahead;
    EXPECT_EQ(state.catalogue.version_stamp, now.catalogue.version_stamp) << ahead;
    EXPECT_FALSE(read_ahead.take(app_data_folder()).has_value()) << ahead;  // taken, or for no file
  }
  EXPECT_TRUE(sink.shown.empty());
}
