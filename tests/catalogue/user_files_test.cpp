#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_edit.h"
#include "catalogue/user_files.h"
#include "test_env.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <sys/resource.h>

using quovi_test::read_all;
using quovi_test::write_all;

namespace {
Catalogue fresh_catalogue() {
  Catalogue catalogue;
  catalogue.app_data = app_data_folder();
  catalogue.highest_user_id = 100000;
  quovi_test::catalogue_folder();
  return catalogue;
}

Channel user_channel(int32_t id, const QString& name) {
  Channel item;
  item.id = id;
  item.group_id = 2;
  item.name = ShortText::from_text(name);
  item.url = to_packed(QStringLiteral("http://s/%1").arg(id));
  item.bitrate = 128;
  item.type_id = 1;
  item.country_id = 33;
  item.genre_id = 12;
  item.user_defined = 1;
  return item;
}

Channel catalogue_channel(int32_t id, const QString& name) {
  Channel item;
  item.id = id;
  item.group_id = 1;
  item.type_id = 1;
  item.name = ShortText::from_text(name);
  return item;
}

// Both make the catalogue folder, so a test can write a file before anything else runs.
QString userdef_file() {
  quovi_test::catalogue_folder();
  return userdef_path(app_data_folder());
}
QString favorites_file() {
  quovi_test::catalogue_folder();
  return favorites_path(app_data_folder());
}
}  // namespace

TEST(UserFiles, WritesTheDocumentedLine) {
  Catalogue catalogue;
  Channel item = user_channel(100003, "Jazz One");
  item.url = "U";
  item.comment = "my comment";
  catalogue.channels = {catalogue_channel(5, "not mine"), item};
  EXPECT_EQ(userdef_file_text(catalogue), "100003|2|0|Jazz One|U|128|1||33|12|my comment\r\n");
  item.comment = {};
  catalogue.channels = {item};
  EXPECT_EQ(userdef_file_text(catalogue), "100003|2|0|Jazz One|U|128|1||33|12|\r\n");
}

TEST(UserFiles, RoundTripKeepsEveryField) {
  Catalogue catalogue = fresh_catalogue();
  Channel plain = user_channel(100001, "Caf\u00e9 \u20ac");
  plain.sent = 1;
  plain.homepage = "http://home";
  plain.comment = to_packed("na\u00efve");
  plain.favorited = 1;
  Channel empty_texts = user_channel(100007, "Empty");
  Channel long_name = user_channel(100004, QString(300, QChar('n')));
  long_name.group_id = 3;
  long_name.bitrate = -1;
  catalogue.channels = {catalogue_channel(42, "Catalogue"), plain, empty_texts, long_name};
  catalogue.channels[0].favorited = 1;
  catalogue.user_files_loaded = true;
  ASSERT_TRUE(save_user_files(catalogue));
  EXPECT_EQ(read_all(favorites_file()), "42\r\n100001\r\n");
  EXPECT_TRUE(read_all(userdef_file()).startsWith("100001|2|1|Caf\xe9 \x80|http://s/100001|128|1|http://home|33|12|na\xefve\r\n"));

  Catalogue again = fresh_catalogue();
  load_user_files(again);
  EXPECT_TRUE(again.user_files_loaded);
  EXPECT_EQ(again.favorites, (std::vector<int32_t>{42, 100001}));
  const std::vector<Channel>& read = again.channels;
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(again.highest_user_id, 100007);
  EXPECT_EQ(read[0].id, 100001);
  EXPECT_EQ(read[0].favorited, 1);
  EXPECT_EQ(read[0].sent, 1);
  EXPECT_EQ(read[0].name.text(), "Caf\u00e9 \u20ac");
  EXPECT_EQ(to_qstring(read[0].homepage), "http://home");
  EXPECT_EQ(to_qstring(read[0].comment), "na\u00efve");
  EXPECT_EQ(read[1].favorited, 0);
  EXPECT_TRUE(read[1].homepage.empty());
  EXPECT_TRUE(read[1].comment.empty());
  EXPECT_EQ(read[1].country_id, 33);
  EXPECT_EQ(read[1].genre_id, 12);
  EXPECT_EQ(read[2].name.text(), QString(254, QChar('n')));
  EXPECT_EQ(read[2].group_id, 3);
  EXPECT_EQ(read[2].bitrate, -1);
  for (const Channel& item : read) {
    EXPECT_EQ(item.user_defined, 1);
    EXPECT_EQ(item.status, 0);
    EXPECT_EQ(item.average_rating, 0);
    EXPECT_EQ(item.type_id, 1);
  }
}

TEST(UserFiles, SeparatorsInTextsCannotBreakTheFile) {
  Catalogue catalogue = fresh_catalogue();
  Channel item = user_channel(100002, "A|B");
  item.url = "http://x/?a=1|2";
  item.homepage = std::string_view("h|p\0q", 5);  // a NUL would cut the line when it is read
  item.comment = "line one\r\nline|two";
  catalogue.channels = {item};
  catalogue.user_files_loaded = true;
  ASSERT_TRUE(save_user_files(catalogue));
  EXPECT_EQ(read_all(userdef_file()), "100002|2|0|A/B|http://x/?a=1/2|128|1|h/p q|33|12|line one  line/two\r\n");
  RecordingMessageSink sink;
  Catalogue again = fresh_catalogue();
  load_user_files(again);
  EXPECT_TRUE(sink.shown.empty());
  ASSERT_EQ(again.channels.size(), 1u);
  EXPECT_EQ(again.channels[0].name.text(), "A/B");
}

struct DecodeCase {
  const char* what;
  QByteArray content;
  QStringList lines;
};

TEST(UserFiles, LinesWithByteOrderMarksAndEveryLineEnd) {
  const DecodeCase cases[] = {
      {"empty", "", {}},
      {"one line end", "\r\n", {""}},
      {"mixed ends", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"empty line inside", "a\n\nb\n", {"a", "", "b"}},
      {"code page", "Caf\xe9\x80", {"Caf\u00e9\u20ac"}},
      {"utf-8 mark", "\xef\xbb\xbf" "Caf\xc3\xa9\r\n", {"Caf\u00e9"}},
      {"utf-16 little-endian", QByteArray("\xff\xfe" "1\0|\0\xe9\0\r\0\n\0", 12), {"1|\u00e9"}},
      {"utf-16 big-endian", QByteArray("\xfe\xff\0" "1\0|\0\xe9\0\n", 10), {"1|\u00e9"}},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(user_file_lines(c.content), c.lines) << c.what;
}

TEST(UserFiles, MissingFilesMeanNothingAndAreWrittenAtClose) {
  Catalogue catalogue = fresh_catalogue();
  load_user_files(catalogue);
  EXPECT_TRUE(catalogue.user_files_loaded);
  EXPECT_TRUE(catalogue.favorites.empty());
  EXPECT_TRUE(catalogue.channels.empty());
  EXPECT_EQ(catalogue.highest_user_id, 100000);
  QDir(catalogue_folder(catalogue.app_data)).removeRecursively();
  ASSERT_TRUE(save_user_files(catalogue));
  EXPECT_TRUE(QFileInfo::exists(favorites_file()));
  EXPECT_EQ(QFileInfo(userdef_file()).size(), 0);
}

TEST(UserFiles, UnknownFavouriteDisappearsAtClose) {
  write_all(favorites_file(), "7\r\n999\r\n");
  Catalogue catalogue = fresh_catalogue();
  load_user_files(catalogue);
  catalogue.channels = {catalogue_channel(7, "Seven")};
  catalogue.channels[0].favorited = 1;
  save_user_files(catalogue);
  EXPECT_EQ(read_all(favorites_file()), "7\r\n");
}

TEST(UserFiles, UnreadableFavouritesAreSetAsideAndTheRestKept) {
  RecordingMessageSink sink;
  write_all(favorites_file() + ".bad", "older copy");
  const QByteArray damaged = "5\r\n12a\r\n\r\n6\r\n";
  write_all(favorites_file(), damaged);
  Catalogue catalogue = fresh_catalogue();
  load_user_files(catalogue);
  EXPECT_EQ(catalogue.favorites, (std::vector<int32_t>{5, 6}));
  EXPECT_TRUE(catalogue.user_files_loaded);
  EXPECT_FALSE(QFileInfo::exists(favorites_file()));
  EXPECT_EQ(read_all(favorites_file() + ".bad"), "older copy");
  EXPECT_EQ(read_all(favorites_file() + ".bad.2"), damaged);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Error);
  EXPECT_TRUE(sink.shown[0].text.contains("favorites.dat"));
  EXPECT_TRUE(sink.shown[0].text.contains("line 2"));
  EXPECT_TRUE(sink.shown[0].text.contains("favorites.dat.bad.2"));
  EXPECT_FALSE(sink.shown[0].text.contains("restart"));
}

TEST(UserFiles, UnreadableUserChannelsAreSetAsideAndTheRestKept) {
  RecordingMessageSink sink;
  const QByteArray damaged =
      "100001|1|0|Good|u|1|1||1|1|\r\n"
      "100009|1|0|Short|u\r\n"
      "x100002|1|0|Bad id|u|1|1||1|1|c\r\n"
      "100003|1|0|Also good|u|1|1||1|1|c|extra\r\n";
  write_all(userdef_file(), damaged);
  Catalogue catalogue = fresh_catalogue();
  load_user_files(catalogue);
  ASSERT_EQ(catalogue.channels.size(), 2u);
  EXPECT_EQ(catalogue.channels[1].name.text(), "Also good");
  EXPECT_EQ(to_qstring(catalogue.channels[1].comment), "c");
  EXPECT_EQ(catalogue.highest_user_id, 100009);  // the short line's id stays taken
  EXPECT_EQ(read_all(userdef_file() + ".bad"), damaged);
  ASSERT_EQ(sink.shown.size(), 1u);
  const QString& text = sink.shown[0].text;
  EXPECT_TRUE(text.startsWith("Error reading userdef.dat ")) << text.toStdString();
  EXPECT_TRUE(text.contains("line 2"));
  EXPECT_TRUE(text.contains("userdef.dat.bad"));

  // The next close writes what was read; the copy aside keeps the rest.
  ASSERT_TRUE(save_user_files(catalogue));
  EXPECT_EQ(read_all(userdef_file()), "100001|1|0|Good|u|1|1||1|1|\r\n100003|1|0|Also good|u|1|1||1|1|c\r\n");
}

TEST(UserFiles, DamagedContentNeverCrashes) {
  RecordingMessageSink sink;
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> byte(0, 255), length(0, 400);
  for (int round = 0; round < 60; ++round) {
    QByteArray junk;
    const int n = length(rng);
    for (int k = 0; k < n; ++k) junk += static_cast<char>(round % 2 ? byte(rng) : "0123456789|\r\n-"[byte(rng) % 14]);
    write_all(favorites_file(), junk);
    write_all(userdef_file(), junk);
    Catalogue catalogue = fresh_catalogue();
    load_user_files(catalogue);
    for (const Channel& item : catalogue.channels) EXPECT_EQ(item.user_defined, 1);
    QDir(catalogue_folder(catalogue.app_data)).removeRecursively();
    quovi_test::catalogue_folder();
  }
}

TEST(UserFiles, FilesNeverReadAreNotOverwritten) {
  write_all(favorites_file(), "1\r\n");
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|1|\r\n");
  Catalogue catalogue = fresh_catalogue();  // no channel database: nothing was read
  catalogue.channels = {user_channel(100005, "Added later")};
  EXPECT_TRUE(save_user_files(catalogue));
  EXPECT_EQ(read_all(favorites_file()), "1\r\n");
  EXPECT_EQ(read_all(userdef_file()), "100001|1|0|Mine|u|1|1||1|1|\r\n");
}

TEST(UserFiles, FilesAnotherCopyHoldsAreReadButNeverWritten) {
  write_all(favorites_file(), "1\r\n");
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|1|\r\n");
  Catalogue catalogue = fresh_catalogue();
  catalogue.user_files_held_elsewhere = true;
  load_user_files(catalogue);
  ASSERT_EQ(catalogue.channels.size(), 1u);
  catalogue.channels.push_back(user_channel(100005, "Added later"));
  EXPECT_TRUE(save_user_files(catalogue));
  EXPECT_TRUE(write_user_files(catalogue).isEmpty());
  EXPECT_EQ(read_all(favorites_file()), "1\r\n");
  EXPECT_EQ(read_all(userdef_file()), "100001|1|0|Mine|u|1|1||1|1|\r\n");
}

TEST(UserFiles, ReloadKeepsTheFavouritesListAndReadsItWhenItWasNeverRead) {
  write_all(favorites_file(), "100001\r\n");
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|1|\r\n");
  Catalogue catalogue = fresh_catalogue();
  load_user_files(catalogue);  // start-up
  set_favorite(catalogue, 0, false);
  write_all(favorites_file(), "");  // a reload must not read this
  catalogue.channels.clear();
  load_user_files(catalogue);
  EXPECT_EQ(catalogue.channels.at(0).favorited, 0);  // the list follows the commands

  Catalogue no_database_at_start = fresh_catalogue();
  write_all(favorites_file(), "100001\r\n");
  load_user_files(no_database_at_start);  // first load after a download
  EXPECT_EQ(no_database_at_start.channels.at(0).favorited, 1);
}

namespace {
// Lets no file of this process grow beyond a few bytes, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit saved_{};
  void (*old_handler_)(int) = nullptr;
};
}  // namespace

TEST(UserFiles, FailedWriteLeavesTheOldFileWhole) {
  const QByteArray old_channels = "100001|1|0|Old|u|1|1||1|1|\r\n";
  write_all(userdef_file(), old_channels);
  write_all(favorites_file(), "1\r\n");
  Catalogue catalogue = fresh_catalogue();
  load_user_files(catalogue);
  for (int k = 0; k < 200; ++k) catalogue.channels.push_back(user_channel(100100 + k, QString(100, 'x')));
  catalogue.channels[0].favorited = 1;

  RecordingMessageSink sink;
  bool may_close = true;
  {
    FileSizeLimit limit(4096);
    may_close = save_user_files(catalogue);
  }
  EXPECT_FALSE(may_close);  // the question was answered No
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Question);
  EXPECT_TRUE(sink.shown[0].text.contains("userdef.dat"));
  EXPECT_EQ(read_all(userdef_file()), old_channels);
  EXPECT_EQ(read_all(favorites_file()), "1\r\n100001\r\n");  // small enough to be written
  EXPECT_EQ(QDir(catalogue_folder(catalogue.app_data)).entryList(QDir::Files).size(), 2);  // no temporary left

  sink.answers = {true};
  {
    FileSizeLimit limit(4096);
    EXPECT_TRUE(save_user_files(catalogue));  // "Close anyway?" Yes
  }
  EXPECT_EQ(read_all(userdef_file()), old_channels);
}

TEST(UserChannels, GenreNamesFollowTheGenreTable) {
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|12|\r\n");
  Catalogue catalogue = fresh_catalogue();
  load_user_files(catalogue);
  
  EXPECT_TRUE(catalogue.channels[0].genre.empty());  // the table comes with the channel database
  catalogue.genres = {{0, ShortText::from_text("All")}, {12, ShortText::from_text("Jazz")}};
  Channel from_database = catalogue_channel(5, "Catalogue");
  from_database.genre_id = 12;
  from_database.genre = ShortText::from_text("As loaded");
  catalogue.channels.push_back(from_database);
  resolve_user_channel_genres(catalogue);
  EXPECT_EQ(catalogue.channels[0].genre.text(), "Jazz");
  EXPECT_EQ(catalogue.channels[1].genre.text(), "As loaded");

  Catalogue reloaded = fresh_catalogue();
  reloaded.genres = catalogue.genres;
  load_user_channels(reloaded);
  EXPECT_EQ(reloaded.channels[0].genre.text(), "Jazz");
}

TEST(UserChannels, LookupsByIdAndPosition) {
  Catalogue catalogue = fresh_catalogue();
  catalogue.channels = {catalogue_channel(7, "Seven"), user_channel(100001, "Mine"), catalogue_channel(7, "Dup")};
  EXPECT_EQ(find_channel_by_id(catalogue, 7), 0);
  EXPECT_EQ(find_channel_by_id(catalogue, 100001), 1);
  EXPECT_EQ(find_channel_by_id(catalogue, 8), -1);
  EXPECT_EQ(channel_name_at(catalogue, 2), "Dup");
  EXPECT_EQ(channel_name_at(catalogue, 1), "Mine");
  EXPECT_EQ(channel_name_at(catalogue, -1), "");
  EXPECT_EQ(channel_name_at(catalogue, 3), "");
  EXPECT_FALSE(set_favorite(catalogue, -1, false));
}

TEST(UserChannels, FavouriteCommandsAskFirst) {
  RecordingMessageSink sink;
  Catalogue catalogue = fresh_catalogue();
  catalogue.channels = {catalogue_channel(7, "Seven"), catalogue_channel(8, "Eight")};

  EXPECT_FALSE(add_to_favorites(catalogue, 1));  // answered No
  EXPECT_EQ(catalogue.channels[1].favorited, 0);
  sink.answers = {true};
  EXPECT_FALSE(add_to_favorites(catalogue, 1));  // no rebuild needed
  EXPECT_EQ(catalogue.channels[1].favorited, 1);
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_EQ(sink.shown[1].text, "Would you like to add Eight to your favorites?");

  sink.answers = {true};
  EXPECT_TRUE(remove_from_favorites(catalogue, 1));
  EXPECT_EQ(catalogue.channels[1].favorited, 0);
  EXPECT_TRUE(sink.shown.back().text.contains("Eight"));

  // Added and removed again in one run: not in the file.
  catalogue.user_files_loaded = true;
  save_user_files(catalogue);
  EXPECT_EQ(read_all(favorites_file()), "");

  sink.shown.clear();
  EXPECT_FALSE(add_to_favorites(catalogue, 5));  // no such channel: nothing asked
  EXPECT_TRUE(sink.shown.empty());
}

TEST(UserChannels, RemoveChannelOnlyRemovesTheSelectedChannelOfTheUser) {
  RecordingMessageSink sink;
  Catalogue catalogue = fresh_catalogue();
  catalogue.channels = {catalogue_channel(100001, "Catalogue twin"), user_channel(100001, "Mine"), user_channel(100002, "Other")};

  EXPECT_FALSE(remove_user_channel(catalogue, 1));  // No
  EXPECT_EQ(catalogue.channels.size(), 3u);
  EXPECT_EQ(sink.shown.back().text, "Are you sure that you want to permanently delete the selected channel?");
  sink.answers = {true};
  EXPECT_FALSE(remove_user_channel(catalogue, 0));  // a catalogue channel: nothing, no message
  EXPECT_EQ(catalogue.channels.size(), 3u);
  sink.answers = {true};
  EXPECT_TRUE(remove_user_channel(catalogue, 1));
  ASSERT_EQ(catalogue.channels.size(), 2u);
  EXPECT_EQ(catalogue.channels[0].name.text(), "Catalogue twin");
  EXPECT_EQ(catalogue.channels[1].name.text(), "Other");

  catalogue.user_files_loaded = true;
  save_user_files(catalogue);
  EXPECT_EQ(read_all(userdef_file()), "100002|2|0|Other|http://s/100002|128|1||33|12|\r\n");
}

TEST(UserFiles, WritingBeforeAReloadKeepsTheRunsChanges) {
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|1|\r\n");
  Catalogue catalogue = fresh_catalogue();
  load_user_files(catalogue);
  catalogue.channels.push_back(user_channel(100002, "Added in this run"));
  EXPECT_TRUE(write_user_files(catalogue).isEmpty());
  catalogue.channels.clear();  // the reload's reset
  load_user_files(catalogue);
  ASSERT_EQ(catalogue.channels.size(), 2u);
  EXPECT_EQ(catalogue.channels[1].name.text(), "Added in this run");
}

namespace {
ChannelFields new_channel_fields() {
  ChannelFields f;
  f.category_index = 1;
  f.name = "New";
  f.url = "http://new.example/";
  f.type_index = 1;
  f.country_index = 1;
  f.genre_index = 1;
  return f;
}
}  // namespace

TEST(UserIds, NewIdsStayPositiveAndUniqueWhateverTheFileHolds) {
  const struct {
    const char* id;
    bool read;          // the line is read, not set aside
    int32_t highest_user_id;
    int32_t next_id;    // 0: adding is refused
  } cases[] = {
      {"2147483647", false, 100001, 100002},
      {"1000000000", false, 100001, 100002},
      {"999999999", true, 999999999, 0},
      {"100005", true, 100005, 100006},
  };
  for (const auto& c : cases) {
    QDir(quovi_test::catalogue_folder()).removeRecursively();
    write_all(userdef_file(), QByteArray("100001|1|0|Mine|u|1|1||1|1|\r\n") + c.id + "|1|0|Top|t|1|1||1|1|\r\n");
    RecordingMessageSink sink;
    Catalogue catalogue = fresh_catalogue();
    load_user_files(catalogue);
    EXPECT_EQ(catalogue.channels.size(), c.read ? 2u : 1u) << c.id;
    EXPECT_EQ(sink.shown.size(), c.read ? 0u : 1u) << c.id;
    EXPECT_EQ(catalogue.highest_user_id, c.highest_user_id) << c.id;

    const std::optional<QString> refusal = add_user_channel(catalogue, new_channel_fields());
    if (c.next_id == 0) {
      ASSERT_TRUE(refusal.has_value()) << c.id;
      EXPECT_TRUE(refusal->contains("999999999")) << refusal->toStdString();
      EXPECT_EQ(catalogue.channels.size(), 2u);
      EXPECT_EQ(catalogue.highest_user_id, c.highest_user_id);
      continue;
    }
    ASSERT_FALSE(refusal.has_value()) << c.id << ": " << refusal->toStdString();
    const auto fresh = std::find_if(catalogue.channels.begin(), catalogue.channels.end(),
                                    [](const Channel& item) { return item.name.text() == "New"; });
    ASSERT_NE(fresh, catalogue.channels.end());
    EXPECT_EQ(fresh->id, c.next_id) << c.id;
    EXPECT_EQ(std::count_if(catalogue.channels.begin(), catalogue.channels.end(),
                            [&](const Channel& item) { return item.id == fresh->id; }),
              1);
  }
}

TEST(UserIds, IdsOnLinesSetAsideStayTakenAtLaterStarts) {
  RecordingMessageSink sink;
  write_all(userdef_file() + ".bad", "100020|an older damaged line\r\n2147483647|no room above\r\n");
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|1|\r\n100030|1|0|Short|u\r\n");
  Catalogue catalogue = fresh_catalogue();
  load_user_files(catalogue);
  EXPECT_EQ(catalogue.highest_user_id, 100030);
  ASSERT_TRUE(QFileInfo::exists(userdef_file() + ".bad.2"));
  ASSERT_TRUE(save_user_files(catalogue));  // userdef.dat now holds 100001 alone

  Catalogue next_start = fresh_catalogue();
  load_user_files(next_start);
  EXPECT_EQ(next_start.highest_user_id, 100030);

  ASSERT_TRUE(QFile::remove(userdef_file() + ".bad.2"));
  Catalogue without_the_newer_copy = fresh_catalogue();
  load_user_files(without_the_newer_copy);
  EXPECT_EQ(without_the_newer_copy.highest_user_id, 100020);  // an id with no room above counts for nothing
}
