#include "catalogue/records.h"
#include "playlist_rows.h"
#include "playlists/channel_playlist.h"
#include "playlists/m3u_reader.h"
#include "playlists/m3u_writer.h"
#include "playlists/pls_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quovi_test;
using Rows = std::vector<std::string>;

namespace {
// Export, then import: the same entries and guides, nothing skipped.
void expect_round_trip(const Playlist& playlist, const char* what) {
  const Playlist again = read_m3u(write_extended_m3u(playlist));
  EXPECT_EQ(full_rows(again), full_rows(playlist)) << what;
  EXPECT_EQ(again.guide_addresses, playlist.guide_addresses) << what;
  EXPECT_EQ(again.guide_shift, playlist.guide_shift) << what;
  EXPECT_EQ(again.skipped, 0u) << what;
}
}  // namespace

TEST(M3uWriter, WritesExtendedM3u) {
  const Playlist playlist = read_m3u(
      "#EXTM3U x-tvg-url=\"http://g/a.xml,http://g/b.xml\"\n"
      "#EXTINF:-1 radio=true group-title=\"Jazz, Blues\" tvg-logo=\"http://l/1.png\" tvg-name=\"Jazz FM\" "
      "tvg-id=\"jazz\",Jazz FM, live\n#EXTVLCOPT:http-referrer=http://r/\n#EXTVLCOPT:http-user-agent=Agent/2\nhttp://s/1\n"
      "#EXTINF:30.25,Plain\nhttp://s/2\n");
  EXPECT_EQ(write_extended_m3u(playlist),
            "#EXTM3U url-tvg=\"http://g/a.xml,http://g/b.xml\"\r\n"
            "#EXTINF:-1 tvg-id=\"jazz\" tvg-name=\"Jazz FM\" tvg-logo=\"http://l/1.png\" group-title=\"Jazz, Blues\" "
            "radio=\"true\",Jazz FM, live\r\n"
            "#EXTVLCOPT:http-user-agent=Agent/2\r\n#EXTVLCOPT:http-referrer=http://r/\r\nhttp://s/1\r\n"
            "#EXTINF:30.25,Plain\r\nhttp://s/2\r\n");
  EXPECT_EQ(write_extended_m3u(Playlist()), "#EXTM3U\r\n");
}

TEST(M3uWriter, ExportThenImportGivesTheSameEntries) {
  expect_round_trip(read_m3u("#EXTM3U url-tvg=\"http://g/a.xml\"\n"
                             "#EXTINF:-1 tvg-id=\"a.b\" tvg-name=\"Кино, 1\" tvg-logo=\"http://l/a b.png\" "
                             "tvg-country=\"UA;PL\" tvg-language=\"Ukrainian\" group-title=\"Фильмы\" radio=\"true\",Кино, HD\n"
                             "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11; Linux)\n#EXTVLCOPT:http-referrer=http://r/\n"
                             "http://s/1?a=1&b=2\n"
                             "#EXTINF:-1 tvg-name='Name, in single quotes',\nrtmp://s/2\n"
                             "#EXTINF:0.5,#not a directive\nrtsp://s/3\nhttp://s/plain\n"),
                    "read from M3U");
  // Every field the reader reads, in every spelling it reads them: written back, they read the same.
  expect_round_trip(
      read_m3u("#EXTM3U x-tvg-url=\"http://g/a.xml\" tvg-shift=\"+1.5\"\n"
               "#EXTINF:-1 tvg-chno=\"101\" tvg-shift=\"-2\" tvg-id=\"one\" user-agent=\"UA/1\" http-referer=\"http://r/\",One\n"
               "#EXTHTTP:{\"cookie\":\"sid=\\\"42\\\"; theme=dark\",\"origin\":\"https://o/\",\"X-Token\":\"a, b\"}\n"
               "https://s/master.m3u8?id={PSID}\n"
               "#EXTINF:-1 tvg-chno=7,Two\nhttp://s/2|User-Agent=Mozilla%2F5.0&Referer=http://x/?a=1&X-Forwarded-For=10.0.0.1\n"
               "#EXTINF:-1 tvg-shift=0,Three\nhttp://s/3\n"),
      "request headers, numbers and guide shifts");
  expect_round_trip(read_pls("[playlist]\nFile1=http://s/1\nTitle1=One\nLength1=12.5\nFile3=http://s/3\n"),
                    "read from PLS");
}

TEST(M3uWriter, TextsThatM3uCannotHoldAreMadeSafe) {
  Playlist playlist;
  PlaylistEntry entry;
  entry.title = playlist.add_text("Two\r\nlines");
  entry.address = playlist.add_text("http://s/1");
  entry.tvg_name = playlist.add_text("Say \"hi\"");
  entry.group_title = playlist.add_text("a\"b,c\nd");
  entry.user_agent = playlist.add_text("Agent\n#EXTINF:-1,Injected");
  playlist.entries.push_back(entry);

  const Playlist again = read_m3u(write_extended_m3u(playlist));
  EXPECT_EQ(entry_rows(again), Rows({"Two lines|http://s/1|a'b,c d|0||Say 'hi'||Agent #EXTINF:-1,Injected||-1"}));
  EXPECT_EQ(again.skipped, 0u);
}

// An export the reader would refuse or cut short is not written: the user would find a playlist
// the program itself cannot read back.
TEST(M3uWriter, RefusesAnExportPastTheReadersBounds) {
  Playlist playlist;
  PlaylistEntry entry;
  entry.address = playlist.add_text("http://s/1");
  entry.title = playlist.add_text(std::string(60'000, 'x'));  // one text for every entry: it costs nothing here
  const size_t within = kMaxPlaylistBytes / 60'100;
  playlist.entries.assign(within, entry);
  EXPECT_NO_THROW(write_extended_m3u(playlist));
  playlist.entries.resize(within + 20, entry);
  EXPECT_THROW(write_extended_m3u(playlist), PlaylistError);

  Playlist many;
  PlaylistEntry small;
  small.address = small.title = many.add_text("http://s/1");
  many.entries.assign(kMaxPlaylistEntries + 1, small);
  try {
    write_extended_m3u(many);
    ADD_FAILURE() << "an export of more entries than a playlist may hold was written";
  } catch (const PlaylistError& e) {
    EXPECT_NE(std::string(e.what()).find("export fewer channels"), std::string::npos) << e.what();
  }
}

TEST(M3uWriter, WritesRequestHeadersNumbersAndShifts) {
  const Playlist playlist = read_m3u(
      "#EXTM3U tvg-shift=2\n#EXTINF:-1 tvg-chno=5 tvg-shift=2,Same shift\nhttp://s/1|Origin=http://o/&Cookie=a=1&X-A=b\n"
      "#EXTINF:-1 tvg-shift=-1,Own shift\nhttp://s/2\n");
  EXPECT_EQ(write_extended_m3u(playlist),
            "#EXTM3U tvg-shift=\"2\"\r\n"
            "#EXTINF:-1 tvg-chno=\"5\",Same shift\r\n"
            "#EXTVLCOPT:http-origin=http://o/\r\n#EXTVLCOPT:http-cookie=a=1\r\n#EXTVLCOPT:http-header=X-A: b\r\nhttp://s/1\r\n"
            "#EXTINF:-1 tvg-shift=\"-1\",Own shift\r\nhttp://s/2\r\n");
}

TEST(M3uWriter, ChannelsBecomeEntries) {
  std::vector<Channel> channels(4);
  const struct {
    const char* name;
    const char* url;
    int32_t group;
    const char* genre;
  } rows[] = {
      {"Télé Jazz", "http://s/tv", kGroupTV, "Jazz"},
      {"Radio \"FM\", Rock", "http://s/radio", kGroupRadio, "Rock & Roll"},
      {"Clips", "http://s/video", kGroupVideo, ""},
      {"Not exported", "http://s/none", kGroupTV, "News"},
  };
  for (size_t i = 0; i < channels.size(); ++i) {
    channels[i].name = ShortText::from_text(QString::fromUtf8(rows[i].name));
    channels[i].url = rows[i].url;
    channels[i].group_id = rows[i].group;
    channels[i].genre = ShortText::from_text(QString::fromUtf8(rows[i].genre));
  }
  const Playlist playlist = playlist_of_channels(channels, {1, 0, 2});
  const Rows expected = {"Radio \"FM\", Rock|http://s/radio|Rock & Roll|1||||||-1",
                         "Télé Jazz|http://s/tv|Jazz|0||||||-1", "Clips|http://s/video||0||||||-1"};
  EXPECT_EQ(entry_rows(playlist), expected);
  expect_round_trip(playlist, "channels");
}
