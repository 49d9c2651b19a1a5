// Adding playlists from the window: the same file or address again, a file that is no playlist,
// the name of an address shown while it downloads, and drops on the window.
#include "catalogue/catalogue_paths.h"
#include "playlists/playlist_sources.h"
#include "shell/main_window.h"
#include "shell/playlist_flows.h"
#include "shell_fixture.h"
#include "test_env.h"
#include "test_server.h"
#include "widgets/messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <map>

using namespace shell_test;

namespace {
size_t channels_of_playlists(const AppState& state) {
  size_t count = 0;
  for (const Channel& c : state.catalogue.channels) count += c.source != 0;
  return count;
}

bool any_error_says(const RecordingMessageSink& sink, const QString& words) {
  for (const ShownMessage& m : sink.shown)
    if (m.kind == MessageKind::Error && m.text.contains(words)) return true;
  return false;
}

// The main window of a catalogue of one channel, with its playlists; messages recorded.
class PlaylistAdd : public testing::Test {
 protected:
  RecordingMessageSink sink;
  AppState state = state_with_names({QStringLiteral("Catalogue channel")});
  MainWindow window{state};
  PlaylistFlows playlists{window};
};
}  // namespace

// A file manager opens the same file once per double-click: the playlist is read again, not
// listed twice with its channels doubled.
TEST_F(PlaylistAdd, TheSameFileOrAddressAgainRefreshesItsPlaylist) {
  const QString file = quovi_test::sandbox_root() + "/tv.m3u";
  ASSERT_TRUE(quovi_test::write_all(file, "#EXTM3U\nhttp://127.0.0.1:9/a\nhttp://127.0.0.1:9/b\n"));
  playlists.add_file(file);
  ASSERT_TRUE(quovi_test::write_all(file, "#EXTM3U\nhttp://127.0.0.1:9/a\nhttp://127.0.0.1:9/b\nhttp://127.0.0.1:9/c\n"));
  playlists.add_any({QUrl::fromLocalFile(file).toString()});
  EXPECT_EQ(state.playlists.sources.size(), 1u);
  EXPECT_EQ(channels_of_playlists(state), 3u);

  TestServer server;
  server.reply("/radio.m3u", 200, "http://127.0.0.1:9/r1\n");
  const QString address = server.base() + "/radio.m3u";
  playlists.add_address(address);
  server.reply("/radio.m3u", 200, "http://127.0.0.1:9/r1\nhttp://127.0.0.1:9/r2\n");
  playlists.add_address(address);
  EXPECT_EQ(server.received().size(), 2u);
  EXPECT_EQ(state.playlists.sources.size(), 2u);
  EXPECT_EQ(channels_of_playlists(state), 5u);

  // A refresh that fails leaves the playlist listed as it was.
  server.reply("/radio.m3u", 500, {});
  playlists.add_address(address);
  EXPECT_TRUE(any_error_says(sink, QStringLiteral("could not be downloaded")));
  EXPECT_EQ(state.playlists.sources.size(), 2u);
  EXPECT_EQ(channels_of_playlists(state), 5u);
}

// A guide or an archive named .m3u is told as no playlist, and not listed as an empty one.
TEST_F(PlaylistAdd, AFileThatIsNoPlaylistIsToldAndNotKept) {
  const QString file = quovi_test::sandbox_root() + "/guide.m3u";
  ASSERT_TRUE(quovi_test::write_all(file, QByteArray("\x1F\x8B\x08\0\0\0\0\0\0\x03\xB3\x29\x29\xB3\xD1\x07\0", 17)));
  playlists.add_file(file);
  EXPECT_TRUE(any_error_says(sink, QStringLiteral("The file is not a playlist: it holds gzip-compressed data.")));
  EXPECT_TRUE(state.playlists.sources.empty());
  EXPECT_FALSE(QFile::exists(playlist_copy_path(app_data_folder(), 1)));
}

// An address's file name names its playlist, and it is shown as it stands while it downloads.
TEST_F(PlaylistAdd, TheDownloadShowsTheNameAsTyped) {
  window.show();
  TestServer server;
  server.stall("/<h1>Big news.m3u");
  QString text;
  Qt::TextFormat format = Qt::AutoText;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* progress = qobject_cast<QProgressDialog*>(w);
      if (!progress || !progress->isVisible()) continue;
      if (const QLabel* label = progress->findChild<QLabel*>()) {
        text = label->text();
        format = label->textFormat();
      }
      if (QPushButton* cancel = progress->findChild<QPushButton*>()) cancel->click();
    }
  });
  poll.start(10);
  playlists.add_address(server.base() + "/%3Ch1%3EBig%20news.m3u");
  EXPECT_EQ(text, QStringLiteral("Downloading the playlist <h1>Big news..."));
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_TRUE(state.playlists.sources.empty());
}

// Dropped on the window: a file from a file manager (text/uri-list), and an address selected on a
// page (plain text only). Text that names no playlist is refused at the door.
TEST_F(PlaylistAdd, AFileOrAnAddressDroppedOnTheWindowIsAdded) {
  const QString file = quovi_test::sandbox_root() + "/tv.m3u";
  ASSERT_TRUE(quovi_test::write_all(file, "#EXTM3U\nhttp://127.0.0.1:9/a\n"));
  TestServer server;
  server.reply("/radio.m3u", 200, "http://127.0.0.1:9/r1\nhttp://127.0.0.1:9/r2\n");
  const auto drop = [&](QMimeData& data) {
    QDragEnterEvent enter(QPoint(500, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(500, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &dropped);
    QApplication::processEvents();  // the reading starts once the drop has ended
    return true;
  };

  QMimeData from_file_manager;
  from_file_manager.setUrls({QUrl::fromLocalFile(file)});
  ASSERT_TRUE(drop(from_file_manager));
  EXPECT_EQ(channels_of_playlists(state), 1u);

  QMimeData selected_text;
  selected_text.setText("  " + server.base() + "/radio.m3u\n");
  ASSERT_TRUE(drop(selected_text));
  EXPECT_EQ(server.received().size(), 1u);
  EXPECT_EQ(state.playlists.sources.size(), 2u);
  EXPECT_EQ(channels_of_playlists(state), 3u);

  QMimeData words;
  words.setText("just some words");
  EXPECT_FALSE(drop(words));
  EXPECT_EQ(state.playlists.sources.size(), 2u);
}

// The entries the program adds to the list's menu take the desktop's icons where its theme has
// them, and the program's own pictures where it does not.
TEST_F(PlaylistAdd, MenuEntriesTakeTheDesktopsIconsWithTheBuiltInOnesAsFallback) {
  QMenu menu;
  const auto icons = [&] {
    menu.clear();
    playlists.add_menu_entries(&menu);
    std::map<QString, QIcon> by_name;
    for (QAction* action : menu.actions())
      if (!action->text().isEmpty()) by_name[action->text()] = action->icon();
    return by_name;
  };
  // No theme: the built-in pictures.
  auto plain = icons();
  EXPECT_FALSE(plain["Add Playlist..."].isNull());
  EXPECT_FALSE(plain["Playlists..."].isNull());
  EXPECT_TRUE(plain["Add Playlist..."].name().isEmpty());

  // A desktop theme with its own "list-add".
  const QString themes = quovi_test::sandbox_root() + "/icons";
  ASSERT_TRUE(QDir().mkpath(themes + "/desk/16x16/actions"));
  ASSERT_TRUE(quovi_test::write_all(themes + "/desk/index.theme",
                                    "[Icon Theme]\nName=desk\nDirectories=16x16/actions\n\n"
                                    "[16x16/actions]\nSize=16\nType=Fixed\n"));
  ASSERT_TRUE(quovi_test::write_all(themes + "/desk/16x16/actions/list-add.svg",
                                    "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'>"
                                    "<rect width='16' height='16' fill='red'/></svg>"));
  const QStringList search_paths = QIcon::themeSearchPaths();
  const QString theme = QIcon::themeName();
  QIcon::setThemeSearchPaths({themes});
  QIcon::setThemeName(QStringLiteral("desk"));
  auto themed = icons();
  EXPECT_EQ(themed["Add Playlist..."].name(), "list-add");
  EXPECT_FALSE(themed["Playlists..."].isNull());  // the theme lacks it: the built-in one
  QIcon::setThemeSearchPaths(search_paths);
  QIcon::setThemeName(theme);
}
