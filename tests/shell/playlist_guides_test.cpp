// A playlist that names its own guide brings it to the programme guide, and its channels find
// their guide channel by the tvg-id it gave them.
#include "guide/guide_library.h"
#include "shell/guide_hookup.h"
#include "shell/main_window.h"
#include "shell/playlist_flows.h"
#include "shell/playlist_guides.h"
#include "shell_fixture.h"
#include "test_env.h"
#include "test_server.h"
#include "widgets/messages.h"

#include <gtest/gtest.h>

using namespace shell_test;

TEST(PlaylistGuides, AnAddedPlaylistBringsItsGuideAndItsChannelsTheirGuideIds) {
  RecordingMessageSink sink;
  TestServer server;
  server.reply("/guide.xml.gz", 404, {});
  const std::string guide_address = server.base().toStdString() + "/guide.xml.gz";
  const QString file = quovi_test::sandbox_root() + "/with_guide.m3u";
  ASSERT_TRUE(quovi_test::write_all(
      file, QByteArray::fromStdString("#EXTM3U url-tvg=\"" + guide_address + "\"\n"
                                      "#EXTINF:-1 tvg-id=\"news.example\",News\nhttp://127.0.0.1:9/news\n"
                                      "#EXTINF:-1,No guide\nhttp://127.0.0.1:9/other\n")));

  AppState state = state_with_names({QStringLiteral("Catalogue channel")});
  MainWindow window(state);
  PlaylistFlows playlists(window);
  auto* guide = new GuideHookup(window);
  connect_playlist_guides(state, playlists, *guide);
  playlists.add_file(file);

  const std::vector<GuideSource> expected{{QString::fromStdString(guide_address), true}};
  EXPECT_EQ(guide->library().sources(), expected);
  ASSERT_TRUE(wait_until([&] { return !guide->library().busy(); }, 10000));

  std::map<std::string, std::string> tvg_ids;
  for (const Channel& c : state.catalogue.channels) tvg_ids[c.name.text().toStdString()] = guide->tvg_id_of(c);
  EXPECT_EQ(tvg_ids, (std::map<std::string, std::string>{
                         {"Catalogue channel", ""}, {"News", "news.example"}, {"No guide", ""}}));

  // Moving the playlist to another view reads the same copy again: the guide stays as the user left it.
  guide->library().remove_source(QString::fromStdString(guide_address));
  playlists.reload_source(state.playlists.sources.front().id, false, false);
  EXPECT_TRUE(guide->library().sources().empty());
  ASSERT_TRUE(wait_until([&] { return !guide->library().busy(); }, 10000));
}
