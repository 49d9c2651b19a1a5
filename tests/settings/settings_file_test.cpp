// A settings file damaged by hand: the next write must not lose the groups beside the one it
// changes, nor report a failure that did not happen.
#include "services/service_addresses.h"
#include "settings/settings_file_check.h"
#include "settings/settings_store.h"
#include "shell/links.h"
#include "test_env.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {
using quovi_test::read_all;

const QByteArray kServicesAndLinks =
    "[Services]\n"
    "catalogue=http://127.0.0.1:9000\n"
    "feedback=http://127.0.0.1:9001\n"
    "\n"
    "[Links]\n"
    "site=https://tv.example.net/\n";

QByteArray with_first_group(const QByteArray& lines) { return "[SOFTWARE]\n" + lines + "\n" + kServicesAndLinks; }

void put_settings_file(const QByteArray& content) {
  QDir().mkpath(QFileInfo(settings_file_path()).absolutePath());
  ASSERT_TRUE(quovi_test::write_all(settings_file_path(), content));
}

QVariant stored(const char* name) {
  QSettings s(settings_file_path(), QSettings::IniFormat);
  return s.value(QStringLiteral("SOFTWARE/Talvex/Quovi/") + QLatin1String(name));
}

// What a click on "Radio" writes.
bool click_radio() {
  SettingsWriteBatch batch;
  const bool selected = write_integer_setting(kSettingsKey, "selected", 2);
  const bool favorited = delete_setting(kSettingsKey, "favorited");
  return selected && favorited;
}

std::vector<int> bad_line_numbers(const SettingsFileCheck& check) {
  std::vector<int> numbers;
  for (const auto& line : check.bad_lines) numbers.push_back(line.number);
  return numbers;
}
}  // namespace

TEST(SettingsFileCheck, FindsTheLinesThatCannotBeReadBackExactly) {
  const struct {
    const char* what;
    QByteArray text;
    std::vector<int> bad;  // line numbers
    QByteArray kept;
  } cases[] = {
      {"sound", "[A]\nx=1\nname=\"a, b; c\"\n; a comment\n\n[B]\ny=\\\"q\\\"\n", {}, "[A]\nx=1\nname=\"a, b; c\"\n; a comment\n\n[B]\ny=\\\"q\\\"\n"},
      {"line ends of another system and a byte-order mark", "\xEF\xBB\xBF[A]\r\nx=1\r\n", {}, "[A]\nx=1\n"},
      {"empty", "", {}, ""},
      {"byte-order mark on a later line", "[A]\nx=1\n\xEF\xBB\xBF\n", {3}, "[A]\nx=1\n"},
      {"byte-order mark before a name", "x\n\xEF\xBB\xBFx=1\nx=2\n", {1, 2}, "x=2\n"},
      {"unclosed quote", "[A]\nname=\"open\nx=1\n[B]\ny=2\n", {2}, "[A]\nx=1\n[B]\ny=2\n"},
      {"quote in the name", "[A]\nna\"me=1\n[B]\ny=2\n", {2}, "[A]\n[B]\ny=2\n"},
      {"bytes that are not UTF-8", "[A]\nname=ab\xff\xfe" "cd\nx=1\n", {2}, "[A]\nx=1\n"},
      {"control character", "[A]\nname=a\x01z\nx=1\n", {2}, "[A]\nx=1\n"},
      {"lone carriage return", "[A]\nname=a\rz=1\nx=1\n", {2}, "[A]\nx=1\n"},
      {"no equals sign", "[A]\ngarbage line\n# hash comment\nx=1\n", {2, 3}, "[A]\nx=1\n"},
      {"no name", "[A]\n=1\nx=1\n", {2}, "[A]\nx=1\n"},
      {"backslash joining the next line", "[A]\nname=a\\\nx=1\n", {2}, "[A]\nx=1\n"},
      {"semicolon cutting a value", "[A]\nname=Rock;Pop\nx=1\n", {2}, "[A]\nx=1\n"},
      {"unclosed section and the lines below it", "[A]\nx=1\n[B\ny=2\nz=3\n[C]\nw=4\n", {3, 4, 5}, "[A]\nx=1\n[C]\nw=4\n"},
      {"quote in a section name", "[A\"]\ny=2\n[C]\nw=4\n", {1, 2}, "[C]\nw=4\n"},
      {"setting set twice keeps the later line", "[A]\nx=1\ny=2\nx=3\n", {2}, "[A]\ny=2\nx=3\n"},
      {"same setting through the general section", "[General]\nA\\x=1\n[A]\nx=2\n", {2}, "[General]\n[A]\nx=2\n"},
  };
  for (const auto& c : cases) {
    const SettingsFileCheck check = check_settings_text(c.text);
    EXPECT_EQ(bad_line_numbers(check), c.bad) << c.what;
    EXPECT_EQ(check.kept, c.kept) << c.what;
    // What is kept is read exactly as its lines show.
    EXPECT_TRUE(check_settings_text(check.kept).sound()) << c.what;
  }
  const SettingsFileCheck quote = check_settings_text("[A]\nname=\"open\n");
  ASSERT_EQ(quote.bad_lines.size(), 1u);
  EXPECT_EQ(quote.bad_lines[0].reason, "opens a quote it does not close");
}

TEST(SettingsFileCheck, WhatTheProgramWritesIsAlwaysSound) {
  const QString names[] = {
      "Jazz, Blues = \"FM\"", "a; b", " lead", "trail ", "@at", "[sec]", ";semi", "#hash", "back\\slash\\",
      "tab\tnew\nline\rcr", QString(QChar(0)) + "nul", QString(QChar(0x7f)) + "del", "\u00e9\u20ac\U0001F600",
      QString(QChar(0x85)) + QChar(0x2028), "%41%", "=", "\"",
  };
  RecordingMessageSink sink;  // the writes find nothing to set aside
  for (const QString& name : names) {
    ASSERT_TRUE(write_text_setting(kSettingsKey, "name", name));
    write_service_base("catalogue", "http://127.0.0.1:9000");
    const SettingsFileCheck check = check_settings_text(read_all(settings_file_path()));
    EXPECT_TRUE(check.sound()) << name.toStdString() << " line " << (check.sound() ? 0 : check.bad_lines[0].number);
    EXPECT_EQ(stored("name"), QVariant(name));
  }
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_FALSE(QFileInfo::exists(settings_file_path() + ".bad"));
}

TEST(SettingsFile, DamagedFileIsSetAsideOnceAndTheOtherGroupsSurviveAViewClick) {
  const struct {
    const char* what;
    QByteArray lines;  // of the first group; the file goes on with the services and links
    const char* first_bad;
  } cases[] = {
      {"unclosed quote", "Talvex\\Quovi\\name_f=1\nTalvex\\Quovi\\name=\"open\nTalvex\\Quovi\\country=3\n",
       "line 3 opens a quote it does not close"},
      {"stray bytes", "Talvex\\Quovi\\name_f=1\nTalvex\\Quovi\\name=ab\xff\x01" "cd\nTalvex\\Quovi\\country=3\n",
       "line 3 holds bytes that are not UTF-8 text"},
      {"line without a value", "Talvex\\Quovi\\name_f=1\ngarbage\nTalvex\\Quovi\\country=3\n",
       "line 3 is neither a setting"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingMessageSink sink;
    const QByteArray damaged = with_first_group(c.lines);
    put_settings_file(damaged);

    EXPECT_TRUE(click_radio());

    const QString copy = settings_file_path() + ".bad";
    EXPECT_EQ(read_all(copy), damaged);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].kind, MessageKind::Warning);
    EXPECT_TRUE(sink.shown[0].text.contains(QDir::toNativeSeparators(copy)));
    EXPECT_TRUE(sink.shown[0].text.contains(c.first_bad)) << sink.shown[0].text.toStdString();
    EXPECT_FALSE(sink.shown[0].text.contains("could not be saved"));

    EXPECT_EQ(stored("selected"), QVariant(QStringLiteral("2")));
    EXPECT_EQ(stored("name_f"), QVariant(QStringLiteral("1")));
    EXPECT_EQ(stored("country"), QVariant(QStringLiteral("3")));
    EXPECT_EQ(catalogue_service_base(), "http://127.0.0.1:9000");
    EXPECT_EQ(feedback_service_base(), "http://127.0.0.1:9001");
    EXPECT_EQ(site_address(), "https://tv.example.net/");
    EXPECT_TRUE(check_settings_text(read_all(settings_file_path())).sound());

    // The next click finds a sound file: nothing more to say.
    sink.shown.clear();
    EXPECT_TRUE(write_integer_setting(kSettingsKey, "selected", 3));
    EXPECT_TRUE(sink.shown.empty());
    QFile::remove(copy);
  }
}

TEST(SettingsFile, EarlierCopiesAreKeptAndTheServiceAddressWriterIsGuardedToo) {
  RecordingMessageSink sink;
  QDir().mkpath(QFileInfo(settings_file_path()).absolutePath());
  quovi_test::write_all(settings_file_path() + ".bad", "an older copy");
  const QByteArray damaged = with_first_group("Talvex\\Quovi\\name=\"open\n");
  put_settings_file(damaged);

  write_service_base("feedback", "http://127.0.0.1:9005");

  EXPECT_EQ(read_all(settings_file_path() + ".bad"), "an older copy");
  EXPECT_EQ(read_all(settings_file_path() + ".bad.2"), damaged);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_TRUE(sink.shown[0].text.contains("Quovi.conf.bad.2"));
  EXPECT_EQ(catalogue_service_base(), "http://127.0.0.1:9000");
  EXPECT_EQ(feedback_service_base(), "http://127.0.0.1:9005");
}

TEST(SettingsFile, FileThatQSettingsReadsOtherwiseThanItsLinesShowStartsAfresh) {
  // Every line is sound on its own, but "%2F" in a section name makes both lines one setting.
  RecordingMessageSink sink;
  const QByteArray damaged = "[SOFTWARE]\nTalvex\\Quovi\\name=1\n[SOFTWARE%2FTalvex]\nQuovi\\name=2\n";
  put_settings_file(damaged);
  EXPECT_TRUE(write_integer_setting(kSettingsKey, "selected", 2));
  EXPECT_EQ(read_all(settings_file_path() + ".bad"), damaged);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_TRUE(sink.shown[0].text.contains("new settings file"));
  EXPECT_EQ(stored("selected"), QVariant(QStringLiteral("2")));
  EXPECT_FALSE(stored("name").isValid());
}

TEST(SettingsFile, DamagedFileThatCannotBeMovedIsLeftAloneAndTheWriteIsToldAsFailed) {
  if (geteuid() == 0) GTEST_SKIP() << "the super-user can move files out of a read-only folder";
  RecordingMessageSink sink;
  const QByteArray damaged = with_first_group("Talvex\\Quovi\\name=\"open\n");
  put_settings_file(damaged);
  const QString folder = QFileInfo(settings_file_path()).absolutePath();
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
  const bool written = click_radio();
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_FALSE(written);
  EXPECT_EQ(read_all(settings_file_path()), damaged);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Error);
  EXPECT_TRUE(sink.shown[0].text.contains("could not be moved aside"));
}
