// A playlist that names its own guides brings them to the programme guide as its own, and its
// channels find their guide channel by the tvg-id it gave them.
#include "dialogs/playlists_dialog.h"
#include "guide/guide_library.h"
#include "guide/guide_panel.h"
#include "shell/channel_table_model.h"
#include "shell/guide_hookup.h"
#include "shell/main_window.h"
#include "shell/playlist_flows.h"
#include "shell/playlist_guides.h"
#include "shell_fixture.h"
#include "test_env.h"
#include "test_server.h"
#include "widgets/messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QToolButton>
#include <QListWidget>
#include <QTimer>

using namespace shell_test;

namespace {
// Writes a playlist file naming `guides`, with one channel that has a tvg-id and one without.
QString playlist_naming(const QStringList& guides) {
  const QString file = quovi_test::sandbox_root() + "/with_guide.m3u";
  const QByteArray text = "#EXTM3U url-tvg=\"" + guides.join(',').toUtf8() + "\"\n"
                          "#EXTINF:-1 tvg-id=\"news.example\",News\nhttp://127.0.0.1:9/news\n"
                          "#EXTINF:-1,No guide\nhttp://127.0.0.1:9/other\n";
  return quovi_test::write_all(file, text) ? file : QString();
}

// The main window with its playlists and its guide, wired as the program wires them.
struct Wired {
  Wired() { connect_playlist_guides(state, playlists, *guide); }
  AppState state = state_with_names({QStringLiteral("Catalogue channel")});
  MainWindow window{state};
  PlaylistFlows playlists{window};
  GuideHookup* guide = new GuideHookup(window);
};

QStringList rows_of(GuidePanel& panel) {
  QStringList rows;
  auto* list = panel.findChild<QListWidget*>(QStringLiteral("GuideSources"));
  for (int i = 0; list && i < list->count(); ++i) rows << list->item(i)->text();
  return rows;
}
}  // namespace

TEST(PlaylistGuides, AnAddedPlaylistBringsItsGuideAndItsChannelsTheirGuideIds) {
  RecordingMessageSink sink;
  TestServer server;
  server.reply("/guide.xml.gz", 404, {});
  const QString guide_address = server.base() + "/guide.xml.gz";
  const QString file = playlist_naming({guide_address});
  ASSERT_FALSE(file.isEmpty());
  Wired wired;
  auto& [state, window, playlists, guide] = wired;
  playlists.add_file(file);

  const uint16_t id = state.playlists.sources.front().id;
  const std::vector<GuideSource> expected{{guide_address, true, id}};
  EXPECT_EQ(guide->library().sources(), expected);
  ASSERT_TRUE(wait_until([&] { return !guide->library().busy(); }, 10000));

  std::map<std::string, std::string> tvg_ids;
  for (const Channel& c : state.catalogue.channels) tvg_ids[c.name.text().toStdString()] = guide->tvg_id_of(c);
  EXPECT_EQ(tvg_ids, (std::map<std::string, std::string>{
                         {"Catalogue channel", ""}, {"News", "news.example"}, {"No guide", ""}}));

  // Moving the playlist to another view reads the same copy again: the guide stays as the user left it.
  guide->library().remove_source(guide_address);
  playlists.reload_source(id, false, false);
  EXPECT_TRUE(guide->library().sources().empty());
  ASSERT_TRUE(wait_until([&] { return !guide->library().busy(); }, 10000));
}

// The guide window lists a playlist's guides under its name; a guide the user removed stays out at
// the playlist's next refresh; removing the playlist removes its guides.
TEST(PlaylistGuides, APlaylistsGuidesAreItsOwn) {
  RecordingMessageSink sink;
  const QString kept = "http://127.0.0.1:9/kept.xml", refused = "http://127.0.0.1:9/refused.xml";
  const QString file = playlist_naming({kept, refused});
  ASSERT_FALSE(file.isEmpty());
  Wired wired;
  auto& [state, window, playlists, guide] = wired;
  guide->library().add_source(quovi_test::sandbox_root() + "/mine.xml");
  playlists.add_file(file);
  guide->library().cancel();
  const PlaylistSource source = state.playlists.sources.front();
  EXPECT_EQ(rows_of(guide->panel()),
            (QStringList{quovi_test::sandbox_root() + "/mine.xml", kept + "  (from the playlist " + source.name + ")",
                         refused + "  (from the playlist " + source.name + ")"}));

  guide->library().remove_source(refused);
  playlists.refresh_source(source.id, false);
  guide->library().cancel();
  EXPECT_EQ(guide->library().sources(),
            (std::vector<GuideSource>{{quovi_test::sandbox_root() + "/mine.xml", false, 0}, {kept, true, source.id}}));

  // The user's Remove in the Playlists dialog, once it is up.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<PlaylistsDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    poll.stop();
    Q_EMIT dialog->remove_requested(source.id);
    dialog->accept();
  });
  poll.start(10);
  playlists.open_playlists_dialog();
  guide->library().cancel();
  ASSERT_TRUE(state.playlists.sources.empty());
  EXPECT_EQ(guide->library().sources(), (std::vector<GuideSource>{{quovi_test::sandbox_root() + "/mine.xml", false, 0}}));
  const GuideSources saved = read_guide_sources(guide_sources_path(state.catalogue.app_data)).list;
  EXPECT_EQ(saved.sources, guide->library().sources());
  EXPECT_TRUE(saved.refused.empty());
  for (const ShownMessage& shown : sink.shown) EXPECT_EQ(shown.kind, MessageKind::Information) << shown.text.toStdString();
  ASSERT_TRUE(wait_until([&] { return !guide->library().busy(); }, 10000));
}

// The guide's "Now" column comes and goes without dropping the selection behind the window's back;
// a rebuild that drops it leaves the star and the guide in the no-channel state.
TEST(PlaylistGuides, TheSelectionSurvivesTheNowColumnAndARebuildClearsTheStarAndGuide) {
  RecordingMessageSink sink;
  ChannelTraits favourite;
  favourite.name = QStringLiteral("Loved");
  favourite.favorited = 1;
  Wired wired;
  auto& [state, window, playlists, guide] = wired;
  state = state_with({favourite, {QStringLiteral("Other")}});
  window.rebuild_view();
  window.select_row(0);
  ASSERT_EQ(window.selected_row(), 0);
  ASSERT_TRUE(window.favorited_button()->isChecked());
  auto* label = guide->panel().findChild<QLabel*>(QStringLiteral("GuideChannel"));
  ASSERT_TRUE(label);
  ASSERT_EQ(label->text(), QStringLiteral("Loved"));

  auto* now_column = guide->panel().findChild<QCheckBox*>();
  ASSERT_TRUE(now_column);
  const int columns = window.model()->columnCount();
  for (int toggle = 0; toggle < 2; ++toggle) {
    now_column->click();
    EXPECT_EQ(window.model()->columnCount(), columns + (toggle == 0 ? 1 : 0));
    EXPECT_EQ(window.selected_row(), 0);
    EXPECT_TRUE(window.favorited_button()->isChecked());
    EXPECT_EQ(label->text(), QStringLiteral("Loved"));
  }

  window.rebuild_view();
  EXPECT_EQ(window.selected_row(), -1);
  EXPECT_FALSE(window.favorited_button()->isChecked());
  EXPECT_FALSE(window.favorited_button()->isEnabled());
  EXPECT_EQ(label->text(), QStringLiteral("No channel"));
}
