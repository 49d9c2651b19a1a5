// Without a catalogue yet, a playlist's channels are the whole list: the start is a real view (the
// stored one), the Favorites view lists favourites only, and they survive a restart.
#include "settings/settings_store.h"
#include "shell/channel_table_model.h"
#include "shell/command_wiring.h"
#include "shell/main_window.h"
#include "shell/playlist_flows.h"
#include "test_env.h"
#include "test_server.h"
#include "widgets/messages.h"

#include <QToolButton>
#include <gtest/gtest.h>

namespace {
// The window as the program starts it without channels.dat: the start-up load, then the playlists.
struct StartedWindow {
  StartedWindow() {
    wire_commands(window, {});
    QObject::connect(window.favorited_button(), &QToolButton::clicked, &playlists, &PlaylistFlows::save_favorites);
    window.load_catalogue();
    playlists.load_at_start();
  }
  void click(const char* button) { window.findChild<QToolButton*>(QLatin1String(button))->click(); }
  QStringList listed() const {
    QStringList names;
    for (int row = 0; row < window.model()->rowCount(); ++row) names << window.model()->index(row, 0).data().toString();
    return names;
  }
  AppState state;
  MainWindow window{state};
  PlaylistFlows playlists{window};
};
}  // namespace

TEST(NoCatalogueStart, APlaylistListsInTheStoredViewAndKeepsItsFavourites) {
  RecordingMessageSink sink;
  const QString file = quovi_test::sandbox_root() + "/tv.m3u";
  ASSERT_TRUE(quovi_test::write_all(file, "#EXTM3U\n#EXTINF:-1,Alpha\nhttp://127.0.0.1:9/a\n"
                                          "#EXTINF:-1,Beta\nhttp://127.0.0.1:9/b\n"));
  write_integer_setting(kSettingsKey, "selected", 0);
  write_integer_setting(kSettingsKey, "favorited", 1);
  {
    StartedWindow started;
    started.playlists.add_file(file);
    EXPECT_TRUE(started.window.windowTitle().endsWith(" - Favorites"));
    EXPECT_EQ(started.listed(), QStringList());  // nothing is a favourite yet

    started.click("TvViewButton");
    ASSERT_EQ(started.listed(), (QStringList{"Alpha", "Beta"}));
    started.window.select_row(0);
    sink.answers = {true};
    started.window.favorited_button()->click();
    started.click("FavoritesViewButton");
    EXPECT_EQ(started.listed(), QStringList{"Alpha"});
    EXPECT_TRUE(started.window.windowTitle().endsWith(" - Favorites"));
  }
  StartedWindow restarted;
  ASSERT_TRUE(wait_until([&] { return !restarted.listed().isEmpty(); }));
  EXPECT_TRUE(restarted.window.windowTitle().endsWith(" - Favorites"));
  EXPECT_EQ(restarted.listed(), QStringList{"Alpha"});
}
