#include "playlist_rows.h"
#include "catalogue/code_page.h"
#include "peak_memory.h"
#include "playlists/playlist_encoding.h"
#include "playlists/playlist_generator.h"
#include "playlists/playlist_reader.h"
#include "test_env.h"

#include <QFile>
#include <gtest/gtest.h>
#include <malloc.h>

#include <functional>

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
  const QString path = sandbox_root() + "/encoded.m3u";
  for (const auto& c : cases) {
    const Playlist playlist = read_playlist(c.bytes);
    EXPECT_EQ(entry_rows(playlist), expected) << c.what;
    EXPECT_EQ(playlist.skipped, 0u) << c.what;
    // From a file, where all but UTF-8 is read twice: once for the size, once into the text.
    ASSERT_TRUE(write_all(path, QByteArray::fromStdString(c.bytes)));
    EXPECT_EQ(entry_rows(read_playlist_file(path)), expected) << c.what;
  }
}

// A file is converted as it is read, a piece at a time: a UTF-16 unit or pair cut by a piece's end
// comes out whole, and what cannot be a character becomes U+FFFD, wherever the pieces end.
TEST(PlaylistReader, ConvertsUtf16AndWindows1252PieceByPiece) {
  const auto little_endian = [](const std::u16string& text) {
    std::string bytes;
    for (const char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    return bytes;
  };
  const struct {
    const char* what;
    TextEncoding encoding;
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {"a pair, a lone low half, a lone high half before a letter", TextEncoding::utf16le,
       little_endian(u"a\U0001F3B5b") + little_endian(std::u16string(1, 0xDC00)) +
           little_endian(std::u16string{0xD800, u'c'}),
       "a\U0001F3B5b\uFFFD\uFFFDc"},
      {"a high half and an odd byte at the end", TextEncoding::utf16le, little_endian(u"x\xD83C") + "y",
       "x\uFFFD\uFFFD"},
      {"big-endian", TextEncoding::utf16be, std::string("\0K\x04\x10\xD8\x3C\xDF\xB5", 8), "K\u0410\U0001F3B5"},
      {"Windows-1252", TextEncoding::utf8_else_cp1252_by_line, "Caf\xE9 \x80\x81", "Café €\u0081"},
      {"lines of UTF-8 and of Windows-1252", TextEncoding::utf8_else_cp1252_by_line,
       "Caf\xE9\n\xE0\xB8\xA1\xE0\xB8\xB2\r\n\xE9t\xE9\r\xD0\x9A", "Café\n\u0E21\u0E32\r\nété\r\u041A"},
      // A line past the readers' bound is decided a piece of that length at a time, wherever the
      // file's pieces end.
      {"a line longer than any line is read whole", TextEncoding::utf8_else_cp1252_by_line,
       "\xE9" + std::string(Utf8Conversion::kLineDecided - 1, 'a') + "\xC3\xA9\n\xC3\xA9",
       "\u00E9" + std::string(Utf8Conversion::kLineDecided - 1, 'a') + "\u00E9\n\u00E9"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Utf8Conversion::size_of(c.encoding, c.bytes), c.utf8.size()) << c.what;
    std::vector<size_t> cuts;
    for (size_t cut = 0; cut <= c.bytes.size(); cut += c.bytes.size() > 4096 ? 4093 : 1) cuts.push_back(cut);
    for (const size_t near : {Utf8Conversion::kLineDecided - 1, Utf8Conversion::kLineDecided, Utf8Conversion::kLineDecided + 1})
      if (near <= c.bytes.size()) cuts.push_back(near);
    for (const size_t cut : cuts) {
      std::string out(Utf8Conversion::most_bytes(c.bytes.size()), '\0');
      Utf8Conversion conversion(c.encoding);
      char* end = conversion.convert(std::string_view(c.bytes).substr(0, cut), out.data());
      end = conversion.convert(std::string_view(c.bytes).substr(cut), end);
      end = conversion.finish(end);
      EXPECT_EQ(std::string(out.data(), end), c.utf8) << c.what << ", cut at " << cut;
    }
  }
}

// Lists are pasted together: one line in Windows-1252 leaves the UTF-8 of the others as it is.
TEST(PlaylistReader, TheEncodingIsDecidedLineByLine) {
  const std::string bytes =
      "#EXTM3U\n#EXTINF:-1 group-title=\"Caf\xE9\",Thai\nhttp://s/Transcoder/\xE0\xB8\xA1\xE0\xB8\xB2\xE0\xB8\xA2\xE0\xB8\xB2HD\n"
      "#EXTINF:-1,\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE\nhttp://s/2\n";
  const Rows expected = {"Thai|http://s/Transcoder/มายาHD|Café|0||||||-1", "Кино|http://s/2||0||||||-1"};
  EXPECT_EQ(entry_rows(read_playlist(bytes)), expected);
  const QString path = sandbox_root() + "/mixed.m3u";
  ASSERT_TRUE(write_all(path, QByteArray::fromStdString(bytes)));
  EXPECT_EQ(entry_rows(read_playlist_file(path)), expected);
}

// A file of another kind named .m3u is told as such, not as thousands of lines not used.
TEST(PlaylistReader, AFileOfAnotherKindIsNotAPlaylist) {
  using namespace std::string_literals;
  const struct {
    const char* what;
    std::string bytes;
    std::string error;  // empty: read as a playlist
  } cases[] = {
      {"gzip", "\x1F\x8B\x08\0\0\0\0\0\0\x03\xB3\x29\x29\xB3\xD1\x07\0"s, "it holds gzip-compressed data."},
      {"zip", "PK\x03\x04\x14\0\0\0\x08\0guide.xml"s, "it holds a zip archive."},
      {"XML", "<?xml version=\"1.0\"?>\n<tv>\n<channel id=\"a\"/>\n</tv>\n", "it holds XML or HTML."},
      {"HTML after blank lines", "\r\n  <!DOCTYPE html>\n<html><body>http://s/1</body></html>\n", "it holds XML or HTML."},
      {"XML in UTF-16", "\xFF\xFE<\0t\0v\0>\0"s, "it holds XML or HTML."},
      {"binary", "\x7F" "ELF\x02\x01\x01\0\0\0"s, "it holds binary data."},
      {"a playlist with a NUL byte", "http://s/1\n\0\n"s, ""},
      {"an empty file", "", ""},
  };
  const QString path = sandbox_root() + "/renamed.m3u";
  for (const auto& c : cases) {
    ASSERT_TRUE(write_all(path, QByteArray::fromStdString(c.bytes)));
    for (const bool from_file : {false, true}) {
      try {
        const Playlist playlist = from_file ? read_playlist_file(path) : read_playlist(c.bytes);
        EXPECT_EQ(c.error, "") << c.what << " was read as a playlist";
      } catch (const PlaylistError& e) {
        EXPECT_EQ(e.what(), "The file is not a playlist: " + c.error) << c.what;
      }
    }
  }
}

// Reading a list near the size bound costs at most twice its file's bytes at the peak, the file's
// bytes included, in whichever encoding: their conversion is never held beside them.
TEST(PlaylistReader, ALargeListInAnyEncodingCostsAtMostTwiceItsFile) {
  const auto windows_1252 = [] {
    std::string text = utf8_to_cp1252(generate_extended_m3u(430'000, 11));  // "Cinéma", "Música": not UTF-8
    text.resize(std::min(text.size(), kMaxPlaylistBytes));
    return text;
  };
  const auto utf16 = [] {
    const QString text = QString::fromStdString(generate_extended_m3u(215'000, 12));
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.utf16()), static_cast<size_t>(text.size()) * 2);
    bytes.resize(std::min(bytes.size(), kMaxPlaylistBytes) & ~size_t{1});
    return bytes;
  };
  const QString path = sandbox_root() + "/large.m3u";
  for (const auto& [what, make] : {std::pair<const char*, std::function<std::string()>>{"Windows-1252", windows_1252},
                                   {"UTF-16", utf16}}) {
    qint64 file_bytes = 0;
    {
      const std::string bytes = make();
      file_bytes = static_cast<qint64>(bytes.size());
      ASSERT_TRUE(write_all(path, QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()))));
    }
    EXPECT_GT(file_bytes, 60 << 20) << what;
    malloc_trim(0);
    size_t entries = 0;
    const auto peak = peak_growth_mb([&] { entries = read_playlist_file(path).entries.size(); });
    EXPECT_GT(entries, 100'000u) << what;
    if (peak) {
      EXPECT_LE(*peak, 2.0 * static_cast<double>(file_bytes) / (1 << 20)) << what;
    }
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
      {"one bad byte makes its line Windows-1252, not the file",
       "#EXTINF:-1,\xC3\xA9\nhttp://s/1\n#EXTINF:-1,\xE9\nhttp://s/2\n", "é"},
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
