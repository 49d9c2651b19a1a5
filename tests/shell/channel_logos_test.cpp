// The logo of a playlist channel in the player: before its name in the player bar and in the guide
// window, fetched once it is there; a picture that is none shows nothing.
#include "guide/guide_panel.h"
#include "playlists/playlist_channels.h"
#include "services/logo_cache.h"
#include "shell/channel_logos.h"
#include "shell/channel_table_model.h"
#include "shell/guide_hookup.h"
#include "shell/main_layout.h"
#include "shell/main_window.h"
#include "shell/playlist_flows.h"
#include "shell_fixture.h"
#include "test_env.h"
#include "test_server.h"
#include "widgets/messages.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>

using namespace shell_test;

namespace {
QByteArray png_of(QSize size) {
  QImage image(size, QImage::Format_ARGB32);
  image.fill(Qt::darkCyan);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "png");
  return bytes;
}

// The main window with its playlists, its guide and the logos, wired as the program wires them.
struct Wired {
  RecordingMessageSink sink;
  AppState state = state_with_names({QStringLiteral("Catalogue channel")});
  MainWindow window{state};
  PlaylistFlows playlists{window};
  GuideHookup* guide = new GuideHookup(window);
  ChannelLogos* logos = new ChannelLogos(
      window, &guide->panel(), [this](const Channel& channel) { return logo_for(state.playlists, channel); },
      quovi_test::sandbox_root() + "/logos");

  void select(const QString& name) {
    for (int row = 0; row < window.model()->row_count(); ++row) {
      if (state.catalogue.channels[window.model()->channel_position(row)].name.text() != name) continue;
      window.select_row(row);
      return;
    }
    ADD_FAILURE() << "no row " << name.toStdString();
  }
  QLabel* bar_logo() { return window.channel_logo(); }
  QLabel* guide_logo() { return guide->panel().findChild<QLabel*>(QStringLiteral("GuideChannelLogo")); }
};
}  // namespace

TEST(ChannelLogos, APlaylistChannelsLogoStandsBeforeItsNameInThePlayerBarAndTheGuideWindow) {
  TestServer server;
  server.reply("/logo.png", 200, png_of({80, 40}));
  server.reply("/broken.png", 200, png_of({80, 40}).left(60));
  const QString file = quovi_test::sandbox_root() + "/logos.m3u";
  ASSERT_TRUE(quovi_test::write_all(file, "#EXTM3U\n"
                                          "#EXTINF:-1 tvg-logo=\"" + server.base().toUtf8() + "/logo.png\",Logo TV\n"
                                          "http://127.0.0.1:9/logo-tv\n"
                                          "#EXTINF:-1 tvg-logo=\"" + server.base().toUtf8() + "/broken.png\",Broken TV\n"
                                          "http://127.0.0.1:9/broken-tv\n"
                                          "#EXTINF:-1,Plain TV\nhttp://127.0.0.1:9/plain-tv\n"));
  Wired wired;
  wired.window.resize(1000, 600);
  wired.window.show();
  wired.guide->panel().show();
  wired.playlists.add_file(file);
  EXPECT_TRUE(server.received().empty()) << "the list fetches no logo";

  wired.select(QStringLiteral("Logo TV"));
  ASSERT_TRUE(wait_until([&] { return wired.bar_logo()->isVisible(); }));
  const QLabel* name = wired.window.channel_label();
  EXPECT_EQ(wired.bar_logo()->geometry(), QRect(name->x() - main_layout::kLogoGap - 34, name->y(), 34, 17));
  EXPECT_EQ(wired.bar_logo()->pixmap().deviceIndependentSize().toSize(), QSize(34, 17));
  EXPECT_TRUE(wired.guide_logo()->isVisible());
  EXPECT_FALSE(wired.guide_logo()->pixmap().isNull());
  // Played (a double click, Enter): the same channel, the same logo.
  wired.window.play_selected_channel();
  EXPECT_TRUE(wired.bar_logo()->isVisible());

  // A broken picture: the name stands alone, in both places.
  wired.select(QStringLiteral("Broken TV"));
  EXPECT_FALSE(wired.bar_logo()->isVisible());
  const QString broken = server.base() + "/broken.png";
  ASSERT_TRUE(wait_until([&] { return wired.logos->cache().logo(broken).has_value(); }));
  QCoreApplication::processEvents();
  EXPECT_FALSE(wired.bar_logo()->isVisible());
  EXPECT_FALSE(wired.guide_logo()->isVisible());

  wired.select(QStringLiteral("Plain TV"));
  EXPECT_FALSE(wired.bar_logo()->isVisible());
  EXPECT_FALSE(wired.guide_logo()->isVisible());

  // Back to the first: known by now, shown with the name and not fetched again.
  wired.select(QStringLiteral("Logo TV"));
  EXPECT_TRUE(wired.bar_logo()->isVisible());
  EXPECT_TRUE(wired.guide_logo()->isVisible());
  EXPECT_EQ(server.received().size(), 2u);

  // A rebuilt list has no channel in the player, nor its logo.
  wired.window.rebuild_view();
  EXPECT_FALSE(wired.bar_logo()->isVisible());
  EXPECT_FALSE(wired.guide_logo()->isVisible());
}
