// Adding playlists from the window: the name of an address shown while it downloads.
#include "shell/main_window.h"
#include "shell/playlist_flows.h"
#include "shell_fixture.h"
#include "test_env.h"
#include "test_server.h"
#include "widgets/messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

using namespace shell_test;

// An address's file name names its playlist, and it is shown as it stands while it downloads.
TEST(PlaylistAdd, TheDownloadShowsTheNameAsTyped) {
  RecordingMessageSink sink;
  AppState state = state_with_names({QStringLiteral("Catalogue channel")});
  MainWindow window(state);
  window.show();
  PlaylistFlows playlists(window);
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
