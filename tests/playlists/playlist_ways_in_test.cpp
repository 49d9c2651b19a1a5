// Telling a playlist's address or file apart in what the user pastes, copies or drops.
#include "playlists/playlist_ways_in.h"

#include <gtest/gtest.h>

TEST(PlaylistWaysIn, TheClipboardOffersOnlyAnAddressThatIsNothingElse) {
  const struct {
    QString text;
    QString address;
  } cases[] = {
      {"https://example.org/tv.m3u", "https://example.org/tv.m3u"},
      {"  http://example.org/a.m3u?x=1&y=2\n", "http://example.org/a.m3u?x=1&y=2"},
      {"HTTP://EXAMPLE.ORG/TV.M3U", "HTTP://EXAMPLE.ORG/TV.M3U"},
      {"see https://example.org/tv.m3u", ""},
      {"https://example.org/tv.m3u https://example.org/b.m3u", ""},
      {"https://example.org/a\nhttps://example.org/b", ""},
      {"ftp://example.org/tv.m3u", ""},
      {"/home/u/tv.m3u", ""},
      {"https://", ""},
      {"https:///path-without-host", ""},
      {"http://" + QString(9000, QLatin1Char('a')) + ".org/", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(address_in_text(c.text), c.address) << c.text.left(60).toStdString();
}

TEST(PlaylistWaysIn, ADropGivesItsFilesAndAddresses) {
  // A file manager's drop and a browser's link drop: URIs.
  EXPECT_EQ(dropped_playlists({QUrl::fromLocalFile("/srv/a b.m3u"), QUrl("https://example.org/tv.m3u"),
                               QUrl("mailto:someone@example.org")},
                              "ignored when there are URIs"),
            QStringList({"/srv/a b.m3u", "https://example.org/tv.m3u"}));
  // Selected text from a page: the lines that are addresses.
  EXPECT_EQ(dropped_playlists({}, "https://example.org/a.m3u\r\nnot an address\n  http://example.org/b.pls  \n"),
            QStringList({"https://example.org/a.m3u", "http://example.org/b.pls"}));
  EXPECT_TRUE(dropped_playlists({}, "just words").isEmpty());
  // A flood of lines is cut.
  EXPECT_EQ(dropped_playlists({}, QString("http://example.org/x.m3u\n").repeated(10000)).size(), 256);
}
