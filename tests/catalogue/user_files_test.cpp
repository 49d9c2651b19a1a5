#include "catalogue/catalogue_paths.h"
#include "catalogue/user_files.h"
#include "services/channel_edit.h"
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
AppState fresh_state() {
  AppState state;
  state.app_data = app_data_folder();
  state.catalogue.info.ud_max = 100000;
  quovi_test::catalogue_folder();
  return state;
}

TItem user_channel(int32_t id, const QString& name) {
  TItem item;
  item.id = id;
  item.group_id = 2;
  item.name = TShortText::from_text(name);
  item.url = to_packed(QStringLiteral("http://s/%1").arg(id));
  item.bitrate = 128;
  item.type_id = 1;
  item.country_id = 33;
  item.genre_id = 12;
  item.usdef = 1;
  return item;
}

TItem catalogue_channel(int32_t id, const QString& name) {
  TItem item;
  item.id = id;
  item.group_id = 1;
  item.type_id = 1;
  item.name = TShortText::from_text(name);
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

void show_all(AppState& state) {
  state.visible.clear();
  for (size_t k = 0; k < state.catalogue.info.channels.size(); ++k) state.visible.push_back(static_cast<int>(k));
}
}  // namespace

TEST(UserFiles, WritesTheDocumentedLine) {
  TInfo info;
  TItem item = user_channel(100003, "Jazz One");
  item.url = "U";
  item.comment = "my comment";
  info.channels = {catalogue_channel(5, "not mine"), item};
  EXPECT_EQ(userdef_file_text(info), "100003|2|0|Jazz One|U|128|1||33|12|my comment\r\n");
  item.comment = {};
  info.channels = {item};
  EXPECT_EQ(userdef_file_text(info), "100003|2|0|Jazz One|U|128|1||33|12|\r\n");
}

TEST(UserFiles, RoundTripKeepsEveryField) {
  AppState state = fresh_state();
  TInfo& info = state.catalogue.info;
  TItem plain = user_channel(100001, "Caf\u00e9 \u20ac");
  plain.sent = 1;
  plain.homepage = "http://home";
  plain.comment = to_packed("na\u00efve");
  plain.favorited = 1;
  TItem empty_texts = user_channel(100007, "Empty");
  TItem long_name = user_channel(100004, QString(300, QChar('n')));
  long_name.group_id = 3;
  long_name.bitrate = -1;
  info.channels = {catalogue_channel(42, "Catalogue"), plain, empty_texts, long_name};
  info.channels[0].favorited = 1;
  state.user_files_loaded = true;
  ASSERT_TRUE(save_user_files(state));
  EXPECT_EQ(read_all(favorites_file()), "42\r\n100001\r\n");
  EXPECT_TRUE(read_all(userdef_file()).startsWith("100001|2|1|Caf\xe9 \x80|http://s/100001|128|1|http://home|33|12|na\xefve\r\n"));

  AppState again = fresh_state();
  load_user_files(again);
  EXPECT_TRUE(again.user_files_loaded);
  EXPECT_EQ(again.catalogue.favorites, (std::vector<int32_t>{42, 100001}));
  const std::vector<TItem>& read = again.catalogue.info.channels;
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(again.catalogue.info.ud_max, 100007);
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
  for (const TItem& item : read) {
    EXPECT_EQ(item.usdef, 1);
    EXPECT_EQ(item.status, 0);
    EXPECT_EQ(item.rt, 0);
    EXPECT_EQ(item.type_id, 1);
  }
}

TEST(UserFiles, SeparatorsInTextsCannotBreakTheFile) {
  AppState state = fresh_state();
  TItem item = user_channel(100002, "A|B");
  item.url = "http://x/?a=1|2";
  item.homepage = "h|p";
  item.comment = "line one\r\nline|two";
  state.catalogue.info.channels = {item};
  state.user_files_loaded = true;
  ASSERT_TRUE(save_user_files(state));
  EXPECT_EQ(read_all(userdef_file()), "100002|2|0|A/B|http://x/?a=1/2|128|1|h/p|33|12|line one  line/two\r\n");
  RecordingMessageSink sink;
  AppState again = fresh_state();
  load_user_files(again);
  EXPECT_TRUE(sink.shown.empty());
  ASSERT_EQ(again.catalogue.info.channels.size(), 1u);
  EXPECT_EQ(again.catalogue.info.channels[0].name.text(), "A/B");
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
  AppState state = fresh_state();
  load_user_files(state);
  EXPECT_TRUE(state.user_files_loaded);
  EXPECT_TRUE(state.catalogue.favorites.empty());
  EXPECT_TRUE(state.catalogue.info.channels.empty());
  EXPECT_EQ(state.catalogue.info.ud_max, 100000);
  QDir(catalogue_folder(state.app_data)).removeRecursively();
  ASSERT_TRUE(save_user_files(state));
  EXPECT_TRUE(QFileInfo::exists(favorites_file()));
  EXPECT_EQ(QFileInfo(userdef_file()).size(), 0);
}

TEST(UserFiles, UnknownFavouriteDisappearsAtClose) {
  write_all(favorites_file(), "7\r\n999\r\n");
  AppState state = fresh_state();
  load_user_files(state);
  state.catalogue.info.channels = {catalogue_channel(7, "Seven")};
  state.catalogue.info.channels[0].favorited = 1;
  save_user_files(state);
  EXPECT_EQ(read_all(favorites_file()), "7\r\n");
}

TEST(UserFiles, UnreadableFavouritesAreSetAsideAndTheRestKept) {
  RecordingMessageSink sink;
  write_all(favorites_file() + ".bad", "older copy");
  const QByteArray damaged = "5\r\n12a\r\n\r\n6\r\n";
  write_all(favorites_file(), damaged);
  AppState state = fresh_state();
  load_user_files(state);
  EXPECT_EQ(state.catalogue.favorites, (std::vector<int32_t>{5, 6}));
  EXPECT_TRUE(state.user_files_loaded);
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
  AppState state = fresh_state();
  load_user_files(state);
  ASSERT_EQ(state.catalogue.info.channels.size(), 2u);
  EXPECT_EQ(state.catalogue.info.channels[1].name.text(), "Also good");
  EXPECT_EQ(to_qstring(state.catalogue.info.channels[1].comment), "c");
  EXPECT_EQ(state.catalogue.info.ud_max, 100009);  // the short line's id stays taken
  EXPECT_EQ(read_all(userdef_file() + ".bad"), damaged);
  ASSERT_EQ(sink.shown.size(), 1u);
  const QString& text = sink.shown[0].text;
  EXPECT_TRUE(text.startsWith("Error reading userdef.dat ")) << text.toStdString();
  EXPECT_TRUE(text.contains("line 2"));
  EXPECT_TRUE(text.contains("userdef.dat.bad"));

  // The next close writes what was read; the copy aside keeps the rest.
  ASSERT_TRUE(save_user_files(state));
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
    AppState state = fresh_state();
    load_user_files(state);
    for (const TItem& item : state.catalogue.info.channels) EXPECT_EQ(item.usdef, 1);
    QDir(catalogue_folder(state.app_data)).removeRecursively();
    quovi_test::catalogue_folder();
  }
}

TEST(UserFiles, FilesNeverReadAreNotOverwritten) {
  write_all(favorites_file(), "1\r\n");
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|1|\r\n");
  AppState state = fresh_state();  // no channel database: nothing was read
  state.catalogue.info.channels = {user_channel(100005, "Added later")};
  EXPECT_TRUE(save_user_files(state));
  EXPECT_EQ(read_all(favorites_file()), "1\r\n");
  EXPECT_EQ(read_all(userdef_file()), "100001|1|0|Mine|u|1|1||1|1|\r\n");
}

TEST(UserFiles, ReloadKeepsTheFavouritesListAndReadsItWhenItWasNeverRead) {
  write_all(favorites_file(), "100001\r\n");
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|1|\r\n");
  AppState state = fresh_state();
  load_user_files(state);  // start-up
  show_all(state);
  set_favorite_at_row(state, 0, false);
  write_all(favorites_file(), "");  // a reload must not read this
  state.catalogue.info.channels.clear();
  load_user_files(state);
  EXPECT_EQ(state.catalogue.info.channels.at(0).favorited, 0);  // the list follows the commands

  AppState no_database_at_start = fresh_state();
  write_all(favorites_file(), "100001\r\n");
  load_user_files(no_database_at_start);  // first load after a download
  EXPECT_EQ(no_database_at_start.catalogue.info.channels.at(0).favorited, 1);
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
  AppState state = fresh_state();
  load_user_files(state);
  for (int k = 0; k < 200; ++k) state.catalogue.info.channels.push_back(user_channel(100100 + k, QString(100, 'x')));
  state.catalogue.info.channels[0].favorited = 1;

  RecordingMessageSink sink;
  bool may_close = true;
  {
    FileSizeLimit limit(4096);
    may_close = save_user_files(state);
  }
  EXPECT_FALSE(may_close);  // the question was answered No
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Question);
  EXPECT_TRUE(sink.shown[0].text.contains("userdef.dat"));
  EXPECT_EQ(read_all(userdef_file()), old_channels);
  EXPECT_EQ(read_all(favorites_file()), "1\r\n100001\r\n");  // small enough to be written
  EXPECT_EQ(QDir(catalogue_folder(state.app_data)).entryList(QDir::Files).size(), 2);  // no temporary left

  sink.answers = {true};
  {
    FileSizeLimit limit(4096);
    EXPECT_TRUE(save_user_files(state));  // "Close anyway?" Yes
  }
  EXPECT_EQ(read_all(userdef_file()), old_channels);
}

TEST(UserChannels, GenreNamesFollowTheGenreTable) {
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|12|\r\n");
  AppState state = fresh_state();
  load_user_files(state);
  TInfo& info = state.catalogue.info;
  EXPECT_TRUE(info.channels[0].genre.empty());  // the table comes with the channel database
  info.genres = {{0, TShortText::from_text("All")}, {12, TShortText::from_text("Jazz")}};
  TItem from_database = catalogue_channel(5, "Catalogue");
  from_database.genre_id = 12;
  from_database.genre = TShortText::from_text("As loaded");
  info.channels.push_back(from_database);
  resolve_user_channel_genres(info);
  EXPECT_EQ(info.channels[0].genre.text(), "Jazz");
  EXPECT_EQ(info.channels[1].genre.text(), "As loaded");

  AppState reloaded = fresh_state();
  reloaded.catalogue.info.genres = info.genres;
  load_user_channels(reloaded);
  EXPECT_EQ(reloaded.catalogue.info.channels[0].genre.text(), "Jazz");
}

TEST(UserChannels, LookupsByIdAndRow) {
  AppState state = fresh_state();
  state.catalogue.info.channels = {catalogue_channel(7, "Seven"), user_channel(100001, "Mine"), catalogue_channel(7, "Dup")};
  state.visible = {2, 1};
  EXPECT_EQ(find_channel_by_id(state.catalogue.info, 7), 0);
  EXPECT_EQ(find_channel_by_id(state.catalogue.info, 100001), 1);
  EXPECT_EQ(find_channel_by_id(state.catalogue.info, 8), -1);
  EXPECT_EQ(channel_name_at_row(state, 0), "Dup");
  EXPECT_EQ(channel_name_at_row(state, 1), "Mine");
  EXPECT_EQ(channel_name_at_row(state, -1), "");
  EXPECT_EQ(channel_name_at_row(state, 2), "");
  EXPECT_FALSE(set_favorite_at_row(state, -1, false));
}

TEST(UserChannels, FavouriteCommandsAskFirst) {
  RecordingMessageSink sink;
  AppState state = fresh_state();
  state.catalogue.info.channels = {catalogue_channel(7, "Seven"), catalogue_channel(8, "Eight")};
  state.visible = {1};

  EXPECT_FALSE(add_to_favorites(state, 0));  // answered No
  EXPECT_EQ(state.catalogue.info.channels[1].favorited, 0);
  sink.answers = {true};
  EXPECT_FALSE(add_to_favorites(state, 0));  // no rebuild needed
  EXPECT_EQ(state.catalogue.info.channels[1].favorited, 1);
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_EQ(sink.shown[1].text, "Would you like to add Eight to your favorites?");

  sink.answers = {true};
  EXPECT_TRUE(remove_from_favorites(state, 0));
  EXPECT_EQ(state.catalogue.info.channels[1].favorited, 0);
  EXPECT_TRUE(sink.shown.back().text.contains("Eight"));

  // Added and removed again in one run: not in the file.
  state.user_files_loaded = true;
  save_user_files(state);
  EXPECT_EQ(read_all(favorites_file()), "");

  sink.shown.clear();
  EXPECT_FALSE(add_to_favorites(state, 5));  // no such row: nothing asked
  EXPECT_TRUE(sink.shown.empty());
}

TEST(UserChannels, RemoveChannelOnlyRemovesTheSelectedChannelOfTheUser) {
  RecordingMessageSink sink;
  AppState state = fresh_state();
  TInfo& info = state.catalogue.info;
  info.channels = {catalogue_channel(100001, "Catalogue twin"), user_channel(100001, "Mine"), user_channel(100002, "Other")};
  show_all(state);

  EXPECT_FALSE(remove_user_channel(state, 1));  // No
  EXPECT_EQ(info.channels.size(), 3u);
  EXPECT_EQ(sink.shown.back().text, "Are you sure that you want to permanently delete the selected channel?");
  sink.answers = {true};
  EXPECT_FALSE(remove_user_channel(state, 0));  // a catalogue channel: nothing, no message
  EXPECT_EQ(info.channels.size(), 3u);
  sink.answers = {true};
  EXPECT_TRUE(remove_user_channel(state, 1));
  ASSERT_EQ(info.channels.size(), 2u);
  EXPECT_EQ(info.channels[0].name.text(), "Catalogue twin");
  EXPECT_EQ(info.channels[1].name.text(), "Other");

  state.user_files_loaded = true;
  save_user_files(state);
  EXPECT_EQ(read_all(userdef_file()), "100002|2|0|Other|http://s/100002|128|1||33|12|\r\n");
}

TEST(UserFiles, WritingBeforeAReloadKeepsTheRunsChanges) {
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|1|\r\n");
  AppState state = fresh_state();
  load_user_files(state);
  state.catalogue.info.channels.push_back(user_channel(100002, "Added in this run"));
  EXPECT_TRUE(write_user_files(state).isEmpty());
  state.catalogue.info.channels.clear();  // the reload's reset
  load_user_files(state);
  ASSERT_EQ(state.catalogue.info.channels.size(), 2u);
  EXPECT_EQ(state.catalogue.info.channels[1].name.text(), "Added in this run");
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
    int32_t ud_max;
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
    AppState state = fresh_state();
    load_user_files(state);
    const TInfo& info = state.catalogue.info;
    EXPECT_EQ(info.channels.size(), c.read ? 2u : 1u) << c.id;
    EXPECT_EQ(sink.shown.size(), c.read ? 0u : 1u) << c.id;
    EXPECT_EQ(info.ud_max, c.ud_max) << c.id;

    const std::optional<QString> refusal = add_user_channel(state, new_channel_fields());
    if (c.next_id == 0) {
      ASSERT_TRUE(refusal.has_value()) << c.id;
      EXPECT_TRUE(refusal->contains("999999999")) << refusal->toStdString();
      EXPECT_EQ(info.channels.size(), 2u);
      EXPECT_EQ(info.ud_max, c.ud_max);
      continue;
    }
    ASSERT_FALSE(refusal.has_value()) << c.id << ": " << refusal->toStdString();
    const auto fresh = std::find_if(info.channels.begin(), info.channels.end(),
                                    [](const TItem& item) { return item.name.text() == "New"; });
    ASSERT_NE(fresh, info.channels.end());
    EXPECT_EQ(fresh->id, c.next_id) << c.id;
    EXPECT_EQ(std::count_if(info.channels.begin(), info.channels.end(),
                            [&](const TItem& item) { return item.id == fresh->id; }),
              1);
  }
}

TEST(UserIds, IdsOnLinesSetAsideStayTakenAtLaterStarts) {
  RecordingMessageSink sink;
  write_all(userdef_file() + ".bad", "100020|an older damaged line\r\n2147483647|no room above\r\n");
  write_all(userdef_file(), "100001|1|0|Mine|u|1|1||1|1|\r\n100030|1|0|Short|u\r\n");
  AppState state = fresh_state();
  load_user_files(state);
  EXPECT_EQ(state.catalogue.info.ud_max, 100030);
  ASSERT_TRUE(QFileInfo::exists(userdef_file() + ".bad.2"));
  ASSERT_TRUE(save_user_files(state));  // userdef.dat now holds 100001 alone

  AppState next_start = fresh_state();
  load_user_files(next_start);
  EXPECT_EQ(next_start.catalogue.info.ud_max, 100030);

  ASSERT_TRUE(QFile::remove(userdef_file() + ".bad.2"));
  AppState without_the_newer_copy = fresh_state();
  load_user_files(without_the_newer_copy);
  EXPECT_EQ(without_the_newer_copy.catalogue.info.ud_max, 100020);  // an id with no room above counts for nothing
}
