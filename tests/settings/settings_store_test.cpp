#include "settings/settings_store.h"
#include "test_env.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QPoint>
#include <QSettings>
#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {
const QString kGroup = QStringLiteral("SOFTWARE/Talvex/Quovi/");

// Stores texts exactly as another writer of the file would.
void store_texts(const std::map<std::string, QString>& values) {
  QDir().mkpath(QFileInfo(settings_file_path()).absolutePath());
  QSettings s(settings_file_path(), QSettings::IniFormat);
  for (const auto& [name, text] : values) s.setValue(kGroup + QString::fromStdString(name), text);
  s.sync();
}

QVariant stored(const char* name) {
  QSettings s(settings_file_path(), QSettings::IniFormat);
  return s.value(kGroup + QLatin1String(name));
}

ChannelFilter after_reset() {
  ChannelFilter f;
  f.group_id = 1;
  return f;
}
}  // namespace

TEST(SettingsStore, FileLivesInTheTestsConfigFolder) {
  EXPECT_EQ(settings_file_path(), quovi_test::sandbox_root() + "/config/Talvex/Quovi.conf");
}

TEST(SettingsStore, WritersStoreTextAndDeleteValues) {
  EXPECT_TRUE(write_integer_setting(kSettingsKey, "selected", 2));
  EXPECT_TRUE(write_integer_setting(kSettingsKey, "bitrate", -128));
  EXPECT_TRUE(write_text_setting(kSettingsKey, "name", "Jazz, Blues = \"FM\""));
  EXPECT_EQ(stored("selected"), QVariant(QStringLiteral("2")));
  EXPECT_EQ(stored("bitrate"), QVariant(QStringLiteral("-128")));
  EXPECT_EQ(stored("name"), QVariant(QStringLiteral("Jazz, Blues = \"FM\"")));

  EXPECT_TRUE(delete_setting(kSettingsKey, "selected"));
  EXPECT_FALSE(stored("selected").isValid());
  EXPECT_TRUE(delete_setting(kSettingsKey, "selected"));  // absent value: no error
}

TEST(SettingsStore, DeletingFromAMissingFileCreatesNothing) {
  EXPECT_TRUE(delete_setting(kSettingsKey, "favorited"));
  EXPECT_FALSE(QFileInfo::exists(settings_file_path()));
}

TEST(SettingsStore, NameTextWithSeparatorsRoundTrips) {
  write_integer_setting(kSettingsKey, "name_f", 1);
  write_text_setting(kSettingsKey, "name", "a, b; c\\d \u00e9");
  ChannelFilter f = after_reset();
  load_settings(f);
  EXPECT_TRUE(f.name_flag);
  EXPECT_EQ(f.name, QStringLiteral("a, b; c\\d \u00e9"));
}

TEST(SettingsStore, MissingKeyGivesTvViewAndNoCountry) {
  ChannelFilter f = after_reset();
  f.group_id = 0;
  f.favorited = 1;
  f.country_id = 33;
  f.genre_id = 12;
  f.name = "kept";
  load_settings(f);
  EXPECT_EQ(f.group_id, 1);
  EXPECT_EQ(f.favorited, 0);
  EXPECT_EQ(f.country_id, 0);
  EXPECT_EQ(f.genre_id, 12);
  EXPECT_EQ(f.name, "kept");
}

struct LoadCase {
  const char* what;
  std::map<std::string, QString> stored;
  void (*expect)(const ChannelFilter&);
};
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.what; }


class LoadSettings : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadSettings, ReadsWhatTheStoreHolds) {
  store_texts(GetParam().stored);
  ChannelFilter f = after_reset();
  f.bitrate = 64;
  f.name = "before";
  load_settings(f);
  GetParam().expect(f);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadSettings,
    testing::Values(
        LoadCase{"radio", {{"selected", "2"}},
                 [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 2); EXPECT_EQ(f.favorited, 0); }},
        LoadCase{"favourites", {{"selected", "0"}, {"favorited", "1"}},
                 [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 0); EXPECT_EQ(f.favorited, 1); }},
        LoadCase{"unknown group", {{"selected", "7"}}, [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 7); }},
        LoadCase{"negative group keeps", {{"selected", "-5"}}, [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 1); }},
        // Read as 0 these would put the Favorites caption over channels that are not favourites.
        LoadCase{"group that is no number is the tv view", {{"selected", "Radio"}, {"favorited", "1"}},
                 [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 1); }},
        LoadCase{"group with blanks is the tv view", {{"selected", " 0"}, {"favorited", "1"}},
                 [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 1); }},
        LoadCase{"group beyond 32 bits is the tv view", {{"selected", "99999999999"}, {"favorited", "1"}},
                 [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 1); }},
        LoadCase{"group beyond 16 bits is the tv view", {{"selected", "65536"}, {"favorited", "1"}},
                 [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 1); }},
        LoadCase{"group beyond 16 bits is not cut to radio", {{"selected", "65538"}},
                 [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 1); }},
        LoadCase{"favourites without their mark is the tv view", {{"selected", "0"}},
                 [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 1); EXPECT_EQ(f.favorited, 0); }},
        LoadCase{"favourites with another mark is the tv view", {{"selected", "0"}, {"favorited", "2"}},
                 [](const ChannelFilter& f) { EXPECT_EQ(f.group_id, 1); EXPECT_EQ(f.favorited, 0); }},
        LoadCase{"name without switch is not read", {{"name", "FM"}},
                 [](const ChannelFilter& f) { EXPECT_FALSE(f.name_flag); EXPECT_EQ(f.name, "before"); }},
        LoadCase{"name switch with absent name", {{"name_f", "1"}},
                 [](const ChannelFilter& f) { EXPECT_TRUE(f.name_flag); EXPECT_EQ(f.name, ""); }},
        LoadCase{"switch 256 is off but the name is read", {{"name_f", "256"}, {"name", "FM"}},
                 [](const ChannelFilter& f) { EXPECT_FALSE(f.name_flag); EXPECT_EQ(f.name, "FM"); }},
        LoadCase{"country cut to 16 bits", {{"country_f", "1"}, {"country", "70000"}},
                 [](const ChannelFilter& f) { EXPECT_TRUE(f.country_flag); EXPECT_EQ(f.country_id, 4464); }},
        LoadCase{"bitrate zero keeps", {{"bitrate", "0"}}, [](const ChannelFilter& f) { EXPECT_EQ(f.bitrate, 64); }},
        LoadCase{"bitrate negative keeps", {{"bitrate", "-5"}}, [](const ChannelFilter& f) { EXPECT_EQ(f.bitrate, 64); }},
        LoadCase{"bitrate above 16 bits", {{"bitrate_f", "1"}, {"bitrate", "100000"}},
                 [](const ChannelFilter& f) { EXPECT_TRUE(f.bitrate_flag); EXPECT_EQ(f.bitrate, 100000); }},
        LoadCase{"not integers read as absent", {{"genre_f", "yes"}, {"genre", " 12"}, {"bitrate", "12a"}, {"country", "99999999999"}},
                 [](const ChannelFilter& f) {
                   EXPECT_FALSE(f.genre_flag);
                   EXPECT_EQ(f.genre_id, 0);
                   EXPECT_EQ(f.bitrate, 64);
                   EXPECT_EQ(f.country_id, 0);
                 }},
        LoadCase{"status switches",
                 {{"flag_f", "1"}, {"workfine", "0"}, {"notworking", "1"}, {"new", "1"}, {"wrong", "0"}, {"duplicate", "1"}, {"spam", "1"}},
                 [](const ChannelFilter& f) {
                   EXPECT_TRUE(f.status_flag);
                   EXPECT_FALSE(f.workfine);
                   EXPECT_TRUE(f.notworking);
                   EXPECT_TRUE(f.new_);
                   EXPECT_FALSE(f.wrong);
                   EXPECT_TRUE(f.duplicate);
                   EXPECT_TRUE(f.spam);
                 }}),
    [](const testing::TestParamInfo<LoadCase>& info) {
      std::string name = info.param.what;
      for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

TEST(SettingsStore, ValueOfAnotherTypeReadsAsAbsent) {
  QDir().mkpath(QFileInfo(settings_file_path()).absolutePath());
  {
    QSettings s(settings_file_path(), QSettings::IniFormat);
    s.setValue(kGroup + "selected", QStringList{"2", "3"});
    s.setValue(kGroup + "favorited", QByteArray("\x01\x02", 2));
    s.setValue(kGroup + "country_f", QVariant::fromValue(QPoint(1, 1)));
    s.setValue(kGroup + "country", "33");
  }
  ChannelFilter f = after_reset();
  load_settings(f);
  EXPECT_EQ(f.group_id, 1);
  EXPECT_EQ(f.favorited, 0);
  EXPECT_FALSE(f.country_flag);
  EXPECT_EQ(f.country_id, 33);
}

TEST(SettingsStore, DamagedFileNeverStopsTheLoad) {
  QDir().mkpath(QFileInfo(settings_file_path()).absolutePath());
  quovi_test::write_all(settings_file_path(),
                        "[SOFTWARE]\nTalvex\\Quovi\\selected=3\n\x01\xff[[[\n=\n@Variant(\\0\\0\\0\\x7f\\0\\0\\0)\n");
  ChannelFilter f = after_reset();
  load_settings(f);
  EXPECT_EQ(f.group_id, 3);
}

TEST(SettingsStore, FailedWriteIsToldOnce) {
  RecordingMessageSink sink;
  QDir().mkpath(settings_file_path());  // a folder where the file belongs: nothing can be written
  EXPECT_FALSE(write_integer_setting(kSettingsKey, "selected", 2));
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Error);
  EXPECT_TRUE(sink.shown[0].text.contains("selected"));

  sink.shown.clear();
  {
    SettingsWriteBatch batch;
    for (const char* v : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"})
      EXPECT_FALSE(delete_setting(kSettingsKey, v));
    EXPECT_TRUE(sink.shown.empty());
  }
  EXPECT_EQ(sink.shown.size(), 1u);
}
