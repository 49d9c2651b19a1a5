// "Add Playlist": an address, ready when the clipboard holds one, or files picked with Browse.
#include "dialogs/add_playlist_dialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

TEST(AddPlaylistDialog, TheClipboardsAddressIsReadyAndAddGivesIt) {
  AddPlaylistDialog dialog(QStringLiteral(" https://example.org/tv.m3u\n"));
  EXPECT_EQ(dialog.field()->text(), "https://example.org/tv.m3u");
  EXPECT_TRUE(dialog.add_button()->isEnabled());
  dialog.add_button()->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.chosen(), QStringList{"https://example.org/tv.m3u"});
}

TEST(AddPlaylistDialog, OtherClipboardTextIsNotOfferedAndATypedFileIsTaken) {
  AddPlaylistDialog dialog(QStringLiteral("a sentence with https://example.org/tv.m3u in it"));
  EXPECT_TRUE(dialog.field()->text().isEmpty());
  EXPECT_FALSE(dialog.add_button()->isEnabled());
  QTest::keyClicks(dialog.field(), QStringLiteral("~/lists/tv.m3u"));
  ASSERT_TRUE(dialog.add_button()->isEnabled());
  dialog.add_button()->click();
  EXPECT_EQ(dialog.chosen(), QStringList{QDir::homePath() + "/lists/tv.m3u"});
}

TEST(AddPlaylistDialog, BrowseAddsTheFilesPickedAndACancelledPickKeepsTheDialog) {
  QStringList offered;
  AddPlaylistDialog dialog({}, nullptr, [&](QWidget*) { return offered; });
  dialog.show();
  dialog.browse_button()->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.chosen().isEmpty());
  offered = {"/srv/a.m3u", "/srv/b.pls"};
  dialog.browse_button()->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.chosen(), offered);
}
