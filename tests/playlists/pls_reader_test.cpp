#include "playlist_rows.h"
#include "playlists/pls_reader.h"

#include <gtest/gtest.h>

using namespace quovi_test;
using Rows = std::vector<std::string>;

TEST(PlsReader, EntriesFollowTheirNumbersWithGaps) {
  const Playlist playlist = read_pls(
      "[playlist]\r\nNumberOfEntries=3\r\n"
      "File7=http://s/7\r\nTitle7=Seven\r\n"
      "File1=http://s/1\r\nTitle1=One, the first\r\nLength1=-1\r\n"
      "; a comment\r\n# another\r\n\r\n"
      "file3 = http://s/3 \r\nLENGTH3=12.5\r\nVersion=2\r\n");
  EXPECT_EQ(entry_rows(playlist), Rows({"One, the first|http://s/1||0||||||-1", "http://s/3|http://s/3||0||||||12.5",
                                        "Seven|http://s/7||0||||||-1"}));
  EXPECT_EQ(playlist.skipped, 0u);
}

// As in M3U: the headers behind a "|" are the stream's, and the address is written back without
// them (a PLS address that kept them once came back from an export as another address).
TEST(PlsReader, HeadersBehindTheAddressAreTheStreams) {
  const Playlist playlist =
      read_pls("[playlist]\nFile1=http://s/1?a=b|c|User-Agent=Box%2F1&Cookie=sid=1\nFile2=http://s/2|User-Agent=\x1B\n");
  EXPECT_EQ(request_rows(playlist), Rows({"http://s/1?a=b|c|Box/1||Cookie: sid=1||0", "http://s/2|||||0"}));
  EXPECT_EQ(skip_reasons(playlist), Rows({"line 3: a control character in the User-Agent header"}));
}

TEST(PlsReader, SkipsAndCountsWhatItCannotUse) {
  const Playlist playlist = read_pls(
      "[playlist]\n"
      "File1=http://s/1\n"  // 2
      "Title1=One\n"
      "File1=http://s/other\n"         // 4: a second File1
      "Title1=Again\n"                 // 5: a second Title1
      "Title2=No file\n"               // 6
      "Length3=5\n"                    // 7
      "just words\n"                   // 8
      "File=http://s/none\n"           // 9
      "Filex=http://s/x\n"             // 10
      "File1234567890=http://s/big\n"  // 11
      "File4=file:///etc/passwd\n"     // 12
      "File5=http://s/1\n"             // 13: the address of File1
      "File6=http://s/6\n"
      "Unknown=kept quiet\n");
  EXPECT_EQ(entry_rows(playlist), Rows({"One|http://s/1||0||||||-1", "http://s/6|http://s/6||0||||||-1"}));
  EXPECT_EQ(playlist.skipped, 10u);
  // The first few, in the order the entries are made.
  EXPECT_EQ(skip_reasons(playlist), Rows({"line 8: not a key=value line", "line 9: File without an entry number",
                                          "line 10: File without an entry number",
                                          "line 11: File without an entry number", "line 4: File1 given twice"}));

  const Playlist rest =
      read_pls("Title2=No file\nLength3=5\nFile4=file:///etc/passwd\nFile1=http://s/1\nFile5=http://s/1\n");
  EXPECT_EQ(skip_reasons(rest), Rows({"line 1: Title2 without File2", "line 2: Length3 without File3",
                                      "line 3: not a network stream address", "line 5: the same address as line 4"}));
}

TEST(PlsReader, ALineOverTheBoundIsSkipped) {
  const Playlist playlist = read_pls("[playlist]\nTitle1=" + std::string(kMaxPlaylistLineBytes, 't') +
                                     "\nFile1=http://s/1\nFile2=http://s/2");
  EXPECT_EQ(entry_rows(playlist), Rows({"http://s/1|http://s/1||0||||||-1", "http://s/2|http://s/2||0||||||-1"}));
  EXPECT_EQ(skip_reasons(playlist), Rows({"line 2: longer than 65536 bytes"}));
}
