#include "playlist_rows.h"
#include "playlists/playlist_generator.h"
#include "playlists/playlist_reader.h"
#include "test_env.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace quovi_test;
using Rows = std::vector<std::string>;

TEST(PlaylistReader, ReadsEveryEncodingAndLineEndAlike) {
  const Rows expected = {"Кино Ελλάδα é €|http://s/1|Новости|0||||||-1", "http://s/2|http://s/2||0||||||-1"};
  const auto utf16 = [](const char16_t* text, bool little_endian) {
    std::string bytes = little_endian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t* c = text; *c; ++c) {
      const char low = static_cast<char>(*c & 0xFF), high = static_cast<char>(*c >> 8);
      bytes += little_endian ? low : high;
      bytes += little_endian ? high : low;
    }
    return bytes;
  };
  const std::u16string text16 =
      u"#EXTM3U\r\n#EXTINF:-1 group-title=\"Новости\",Кино Ελλάδα é €\r\nhttp://s/1\r\nhttp://s/2";
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"LF", "#EXTM3U\n#EXTINF:-1 group-title=\"Новости\",Кино Ελλάδα é €\nhttp://s/1\nhttp://s/2\n"},
      {"CR LF", "#EXTM3U\r\n#EXTINF:-1 group-title=\"Новости\",Кино Ελλάδα é €\r\nhttp://s/1\r\nhttp://s/2\r\n"},
      {"CR", "#EXTM3U\r#EXTINF:-1 group-title=\"Новости\",Кино Ελλάδα é €\rhttp://s/1\rhttp://s/2\r"},
      {"mixed, no end at the end",
       "#EXTM3U\r\n\r#EXTINF:-1 group-title=\"Новости\",Кино Ελλάδα é €\nhttp://s/1\r\rhttp://s/2"},
      {"UTF-8 with a byte-order mark",
       "\xEF\xBB\xBF#EXTM3U\n#EXTINF:-1 group-title=\"Новости\",Кино Ελλάδα é €\nhttp://s/1\nhttp://s/2\n"},
      {"UTF-16 LE", utf16(text16.c_str(), true)},
      {"UTF-16 BE", utf16(text16.c_str(), false)},
  };
  for (const auto& c : cases) {
    const Playlist playlist = read_playlist(c.bytes);
    EXPECT_EQ(entry_rows(playlist), expected) << c.what;
    EXPECT_EQ(playlist.skipped, 0u) << c.what;
  }
}

TEST(PlaylistReader, TextThatIsNotUtf8IsWindows1252) {
  const struct {
    const char* what;
    std::string bytes;
    const char* title;
  } cases[] = {
      {"Windows-1252", "#EXTINF:-1,Caf\xE9 \x80 \x93quoted\x94\nhttp://s/1\n", "Café € “quoted”"},
      {"Windows-1252 behind a UTF-8 byte-order mark", "\xEF\xBB\xBF#EXTINF:-1,Caf\xE9\nhttp://s/1\n", "Café"},
      {"one bad byte makes the whole file Windows-1252",
       "#EXTINF:-1,\xC3\xA9\nhttp://s/1\n#EXTINF:-1,\xE9\nhttp://s/2\n", "Ã©"},
      {"valid UTF-8 that Windows-1252 could also read stays UTF-8", "#EXTINF:-1,\xC3\xA9\nhttp://s/1\n", "é"},
  };
  for (const auto& c : cases) {
    const Playlist playlist = read_playlist(c.bytes);
    ASSERT_FALSE(playlist.entries.empty()) << c.what;
    EXPECT_EQ(playlist.text(playlist.entries[0].title), c.title) << c.what;
  }
}

TEST(PlaylistReader, TellsPlsFromM3u) {
  const struct {
    const char* text;
    PlaylistFormat format;
  } cases[] = {
      {"[playlist]\nFile1=http://s/1\n", PlaylistFormat::pls},
      {"\r\n  \n [PLAYlist] \r\nFile1=http://s/1\n", PlaylistFormat::pls},
      {"[playlist] extra\nFile1=http://s/1\n", PlaylistFormat::m3u},
      {"#EXTM3U\n[playlist]\n", PlaylistFormat::m3u},
      {"http://s/1\n", PlaylistFormat::m3u},
      {"", PlaylistFormat::m3u},
  };
  for (const auto& c : cases) EXPECT_EQ(playlist_format(c.text), c.format) << c.text;

  // Told after the byte-order mark is gone.
  EXPECT_EQ(read_playlist("\xEF\xBB\xBF[playlist]\nFile1=http://s/1\n").entries.size(), 1u);
  // The format given wins over the one the text seems to have.
  EXPECT_EQ(read_playlist("[playlist]\nFile1=http://s/1\n", PlaylistFormat::m3u).entries.size(), 0u);
  EXPECT_EQ(read_playlist("File1=http://s/1\n", PlaylistFormat::pls).entries.size(), 1u);
}

TEST(PlaylistReader, RefusesWhatIsTooLargeOrUnreadable) {
  std::string too_large(kMaxPlaylistBytes + 1, '\n');
  try {
    read_playlist(std::move(too_large));
    ADD_FAILURE() << "a playlist over the bound was read";
  } catch (const PlaylistError& e) {
    EXPECT_STREQ(e.what(), "The playlist is larger than 64 MB.");
  }

  const QString path = sandbox_root() + "/big.m3u";
  QFile big(path);
  ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(static_cast<qint64>(kMaxPlaylistBytes) + 1));
  big.close();
  EXPECT_THROW(read_playlist_file(path), PlaylistError);

  ASSERT_TRUE(write_all(path, "#EXTINF:-1,A\nhttp://s/1\n"));
  EXPECT_EQ(entry_rows(read_playlist_file(path)), Rows({"A|http://s/1||0||||||-1"}));

  try {
    read_playlist_file(sandbox_root() + "/none.m3u");
    ADD_FAILURE() << "a missing file was read";
  } catch (const PlaylistError& e) {
    EXPECT_NE(std::string(e.what()).find("none.m3u\" cannot be read"), std::string::npos) << e.what();
  }
}

TEST(PlaylistReader, TheGeneratedListReadsWhole) {
  const std::string text = generate_extended_m3u(3000, 7);
  EXPECT_EQ(generate_extended_m3u(3000, 7), text);
  const Playlist playlist = read_playlist(text);
  EXPECT_EQ(playlist.entries.size(), 3000u);
  EXPECT_EQ(playlist.skipped, 0u);
  EXPECT_EQ(playlist.guide_addresses.size(), 1u);
  size_t radio = 0, with_agent = 0;
  for (const PlaylistEntry& entry : playlist.entries) {
    radio += entry.radio;
    with_agent += entry.user_agent.size != 0;
  }
  EXPECT_GT(radio, 0u);
  EXPECT_GT(with_agent, 0u);
}
