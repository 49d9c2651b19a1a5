#include "guide/guide_library.h"
#include "guide_bytes.h"
#include "playlists/playlist_reader.h"
#include "services/http_request.h"
#include "short_stall_limits.h"
#include "test_env.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <functional>

namespace {
// A guide with one programme running now on "news.example".
QByteArray guide_now(const std::string& title) {
  const QDateTime now = QDateTime::currentDateTimeUtc();
  const auto time = [](const QDateTime& t) { return t.toString(QStringLiteral("yyyyMMddHHmmss")).toStdString() + " +0000"; };
  return QByteArray::fromStdString(gzip("<tv><channel id=\"news.example\"><display-name>News</display-name></channel>"
                                        "<programme start=\"" + time(now.addSecs(-600)) + "\" stop=\"" +
                                        time(now.addSecs(600)) + "\" channel=\"news.example\"><title>" + title +
                                        "</title></programme></tv>"));
}

std::string title_now(const GuideLibrary& library) {
  const auto guides = library.guides();
  const auto match = guides->index.by_name("News");
  if (!match) return "<no match>";
  const NowAndNext on = now_and_next(*guides->channel(*match), QDateTime::currentSecsSinceEpoch());
  return on.now ? std::string(guides->guide_of(*match).text(on.now->title)) : "<nothing now>";
}

bool refreshed(GuideLibrary& library, bool force) {
  QSignalSpy done(&library, &GuideLibrary::refreshed);
  library.refresh(force);
  return wait_until([&] { return done.count() > 0; }, 10000);
}

class GuideLibraryTest : public ::testing::Test {
 protected:
  QString sources = guide_sources_path(quovi_test::sandbox_root() + "/data");
  QString cache = quovi_test::sandbox_root() + "/cache/guides";
  QString matches = guide_matches_path(quovi_test::sandbox_root() + "/data");
};
}  // namespace

TEST_F(GuideLibraryTest, AWebGuideIsCopiedThenRefreshedWithItsETag) {
  TestServer server;
  server.reply_with_validators("/epg.xml.gz", guide_now("Evening news"), "\"e1\"", "Wed, 09 Dec 2026 10:00:00 GMT");
  const QString address = server.base() + "/epg.xml.gz";
  {
    GuideLibrary library(sources, cache, matches);
    QSignalSpy progress(&library, &GuideLibrary::progress);
    library.add_source(address);
    ASSERT_TRUE(wait_until([&] { return !library.busy(); }, 10000));
    EXPECT_EQ(title_now(library), "Evening news");
    EXPECT_GT(progress.count(), 0);
    // Not yet a day old: nothing is asked for unless the user asks.
    ASSERT_TRUE(refreshed(library, false));
    EXPECT_EQ(server.received().size(), 1u);
    ASSERT_TRUE(refreshed(library, true));
    EXPECT_EQ(title_now(library), "Evening news");
  }
  const auto received = server.received();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].if_none_match, "");
  EXPECT_EQ(received[1].if_none_match, "\"e1\"");

  // After a restart the source and its copy are still there, read without a download.
  GuideLibrary again(sources, cache, matches);
  ASSERT_EQ(again.sources().size(), 1u);
  ASSERT_TRUE(refreshed(again, false));
  EXPECT_EQ(title_now(again), "Evening news");
  EXPECT_EQ(server.received().size(), 2u);
}

TEST_F(GuideLibraryTest, FilesAndPlaylistGuidesAreSourcesOnceEach) {
  const QString file = quovi_test::sandbox_root() + "/local.xml.gz";
  ASSERT_TRUE(quovi_test::write_all(file, guide_now("From a file")));
  GuideLibrary library(sources, cache, matches);
  library.add_source(file);
  library.add_source(file + "  ");
  ASSERT_TRUE(wait_until([&] { return !library.busy(); }, 10000));
  EXPECT_EQ(title_now(library), "From a file");

  const Playlist playlist = read_playlist(
      "#EXTM3U url-tvg=\"http://127.0.0.1:9/a.xml.gz,http://127.0.0.1:9/b.xml\" x-tvg-url=\"http://127.0.0.1:9/a.xml.gz\"\n"
      "#EXTINF:-1 tvg-id=\"news.example\",News\nhttp://127.0.0.1:9/live\n");
  EXPECT_EQ(library.take_playlist_guides(3, playlist.guide_addresses), "");
  EXPECT_EQ(library.take_playlist_guides(3, playlist.guide_addresses), "");
  library.cancel();
  const std::vector<GuideSource> expected{
      {file, false, 0}, {"http://127.0.0.1:9/a.xml.gz", true, 3}, {"http://127.0.0.1:9/b.xml", true, 3}};
  EXPECT_EQ(library.sources(), expected);
  EXPECT_EQ(read_guide_sources(sources).list.sources, expected);
  library.remove_source("http://127.0.0.1:9/b.xml");
  EXPECT_EQ(read_guide_sources(sources).list.sources.size(), 2u);
  EXPECT_EQ(read_guide_sources(sources).list.refused, (std::vector<RefusedGuide>{{3, "http://127.0.0.1:9/b.xml"}}));
  ASSERT_TRUE(wait_until([&] { return !library.busy(); }, 10000));
  // Where the user added it, a source that cannot be is told why.
  EXPECT_TRUE(library.add_source("http://127.0.0.1:9/" + QString(3000, 'x')).contains("longer than"));
  EXPECT_EQ(library.sources().size(), 2u);
}

// The list of sources read at start could not be read whole: it is set aside, the user is told
// (by whoever shows the library), and the next save writes beside it, never over it.
TEST_F(GuideLibraryTest, AnUnreadableListIsSetAsideAndTold) {
  QByteArray damaged = "http://127.0.0.1:9/mine.xml\n";
  for (int i = 0; i < 32; ++i) damaged += "playlist\thttp://127.0.0.1:9/" + QByteArray(60 * 1024, 'a') + QByteArray::number(i) + "\n";
  ASSERT_TRUE(QDir().mkpath(QFileInfo(sources).absolutePath()));
  ASSERT_TRUE(quovi_test::write_all(sources, damaged));
  GuideLibrary library(sources, cache, matches);
  EXPECT_TRUE(library.sources_problem().contains(QDir::toNativeSeparators(sources + ".bad")));
  EXPECT_EQ(library.sources(), (std::vector<GuideSource>{{"http://127.0.0.1:9/mine.xml", false, 0}}));
  library.add_source("http://127.0.0.1:9/more.xml");
  library.cancel();
  EXPECT_EQ(quovi_test::read_all(sources + ".bad"), damaged);
  EXPECT_EQ(read_guide_sources(sources).list.sources.size(), 2u);
  ASSERT_TRUE(wait_until([&] { return !library.busy(); }, 10000));
}

// One guide's server answers nothing: the refresh ends by the stall limits with its problem, and
// the others are downloaded and read all the same.
TEST_F(GuideLibraryTest, AStalledGuideHoldsUpNoOther) {
  TestServer server;
  server.stall("/stalled.xml.gz");
  server.reply("/good.xml.gz", 200, guide_now("Evening news"));
  const QString stalled = server.base() + "/stalled.xml.gz";
  ASSERT_TRUE(save_guide_sources(sources, {{{stalled, false, 0}, {server.base() + "/good.xml.gz", false, 0}}, {}}));
  const quovi_test::ShortStallLimits limits;
  GuideLibrary library(sources, cache, matches);
  QSignalSpy done(&library, &GuideLibrary::refreshed);
  library.refresh(false);
  ASSERT_TRUE(wait_until([&] { return done.count() > 0; }, 10000));
  EXPECT_EQ(title_now(library), "Evening news");
  EXPECT_EQ(done.front().front().toStringList(),
            QStringList{stalled + ": " + HttpRequest::too_slow_text(1024, 1)});
}

TEST_F(GuideLibraryTest, AGuideIsReadAgainOnlyWhenItsFileChanged) {
  const QString file = quovi_test::sandbox_root() + "/local.xml.gz";
  ASSERT_TRUE(quovi_test::write_all(file, guide_now("Evening news")));
  GuideLibrary library(sources, cache, matches);
  library.add_source(file);
  ASSERT_TRUE(wait_until([&] { return !library.busy(); }, 10000));
  ASSERT_EQ(title_now(library), "Evening news");

  QSignalSpy changed(&library, &GuideLibrary::guides_changed);
  ASSERT_TRUE(refreshed(library, false));
  ASSERT_TRUE(refreshed(library, true));
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(title_now(library), "Evening news");

  ASSERT_TRUE(quovi_test::write_all(file, guide_now("Morning news")));
  ASSERT_TRUE(refreshed(library, false));
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(title_now(library), "Morning news");
}

TEST_F(GuideLibraryTest, KeepsTheProgrammesOfTheUsersChannelsAndReadsAgainWhenTheyChange) {
  const QString file = quovi_test::sandbox_root() + "/local.xml.gz";
  ASSERT_TRUE(quovi_test::write_all(file, guide_now("Evening news")));
  GuideLibrary library(sources, cache, matches);
  auto channels = std::make_shared<UserChannelNames>();
  channels->add_name("Weather", false);
  library.user_channels = [&] { return std::make_shared<const UserChannelNames>(*channels); };
  library.add_source(file);
  ASSERT_TRUE(wait_until([&] { return !library.busy(); }, 10000));
  // The guide's channel is there to be matched by hand, without its programmes.
  EXPECT_EQ(title_now(library), "<nothing now>");

  QSignalSpy changed(&library, &GuideLibrary::guides_changed);
  library.channels_changed();
  ASSERT_TRUE(wait_until([&] { return !library.busy(); }, 10000));
  EXPECT_EQ(changed.count(), 0);  // the same channels: nothing read again

  channels->add_name("News HD", false);
  library.channels_changed();
  ASSERT_TRUE(wait_until([&] { return changed.count() == 1 && !library.busy(); }, 10000));
  EXPECT_EQ(title_now(library), "Evening news");
}

TEST(GuideReadStamp, ChangesWithTheFilesAndTheWindow) {
  QTemporaryDir dir;
  const QString path = dir.filePath("guide.xml");
  ASSERT_TRUE(quovi_test::write_all(path, "<tv>first</tv>"));
  const GuideWindow window{1000, 2000};
  const GuideReadStamp read = guide_read_stamp({path}, window);
  EXPECT_EQ(guide_read_stamp({path}, window), read);

  struct Case {
    const char* what;
    std::function<void()> change;
    GuideWindow window;
  } cases[] = {
      {"window moved at midnight", [] {}, {1000 + 86400, 2000 + 86400}},
      {"rewritten, same size", [&] {
         ASSERT_TRUE(quovi_test::write_all(path, "<tv>other</tv>"));
         QFile file(path);
         ASSERT_TRUE(file.open(QIODevice::ReadWrite));
         ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(5), QFileDevice::FileModificationTime));
       }, window},
      {"removed", [&] { ASSERT_TRUE(QFile::remove(path)); }, window},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.change();
    EXPECT_NE(guide_read_stamp({path}, c.window), read);
  }
}
