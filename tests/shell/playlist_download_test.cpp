// A playlist's download under its modal "Downloading" window ends by itself when the server stalls,
// and says where and why.
#include "services/http_request.h"
#include "shell/main_window.h"
#include "shell/playlist_flows.h"
#include "shell_fixture.h"
#include "short_stall_limits.h"
#include "test_server.h"
#include "widgets/messages.h"

#include <gtest/gtest.h>

using namespace shell_test;

TEST(PlaylistDownload, AStalledServerEndsTheDownloadWithTheAddressAndTheCause) {
  RecordingMessageSink sink;
  TestServer server;
  server.stall("/list.m3u");
  const QString address = server.base() + "/list.m3u";
  const quovi_test::ShortStallLimits limits;
  AppState state = state_with_names({QStringLiteral("Catalogue channel")});
  MainWindow window(state);
  PlaylistFlows playlists(window);
  playlists.add_address(address);

  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Error);
  EXPECT_TRUE(sink.shown[0].text.contains(address)) << sink.shown[0].text.toStdString();
  EXPECT_TRUE(sink.shown[0].text.contains(HttpRequest::too_slow_text(1024, 1))) << sink.shown[0].text.toStdString();
  // Nothing was read: the address is not kept as a playlist.
  EXPECT_TRUE(state.playlists.sources.empty());
}
