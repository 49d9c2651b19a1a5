#include "playlist_rows.h"
#include "playlists/m3u_reader.h"
#include "playlists/playlist_reader.h"

#include <gtest/gtest.h>

using namespace quovi_test;
using Rows = std::vector<std::string>;

namespace {
struct M3uCase {
  const char* what;
  std::string text;
  Rows rows;  // title|address|group title|radio|tvg-id|tvg-name|tvg-logo|user agent|referrer|duration
  size_t skipped = 0;
};

void expect_reads(const M3uCase& c) {
  const Playlist playlist = read_m3u(c.text);
  EXPECT_EQ(entry_rows(playlist), c.rows) << c.what;
  EXPECT_EQ(playlist.skipped, c.skipped) << c.what;
}
}  // namespace

TEST(M3uReader, ReadsTheAttributesOfExtinf) {
  const M3uCase cases[] = {
      {"quoted attributes",
       "#EXTM3U\n"
       "#EXTINF:-1 tvg-id=\"one.uk\" tvg-name=\"One\" tvg-logo=\"http://l/1.png\" group-title=\"News\",One HD\n"
       "http://s/1\n",
       {"One HD|http://s/1|News|0|one.uk|One|http://l/1.png|||-1"}},
      {"bare attributes",
       "#EXTINF:10 tvg-id=one.uk group-title=News radio=true tvg-logo=http://l/1.png,One\nhttp://s/1\n",
       {"One|http://s/1|News|1|one.uk||http://l/1.png|||10"}},
      {"single quotes, blanks inside and around values",
       "#EXTINF:-1 tvg-name='Two Words'  group-title=\" Spaced \" radio=\"1\",Two\nhttp://s/1\n",
       {"Two|http://s/1|Spaced|1||Two Words||||-1"}},
      {"commas inside quoted attributes and in the title",
       "#EXTINF:-1 group-title=\"News, Sport\" tvg-name=\"A,B\",Title, with, commas\nhttp://s/1\n",
       {"Title, with, commas|http://s/1|News, Sport|0||A,B||||-1"}},
      {"a comma ends a bare value and starts the title",
       "#EXTINF:-1 tvg-id=abc,Title\nhttp://s/1\n",
       {"Title|http://s/1||0|abc|||||-1"}},
      {"a quote never closed ends at the next comma",
       "#EXTINF:-1 tvg-name=\"Half,Rest of it\nhttp://s/1\n",
       {"Rest of it|http://s/1||0||Half||||-1"}},
      {"names and directives in any case; the first of a name counts",
       "#extinf:-1 TVG-ID=\"x\" Group-Title=\"G\" group-title=\"H\" RADIO=TRUE,T\nhttp://s/1\n",
       {"T|http://s/1|G|1|x|||||-1"}},
      {"without a title the name stands in, then the address",
       "#EXTINF:-1 tvg-name=\"Named\",  \nhttp://s/1\n"
       "#EXTINF:-1 tvg-name=\"No comma\"\nhttp://s/2\n"
       "#EXTINF:-1,\nhttp://s/3\n",
       {"Named|http://s/1||0||Named||||-1", "No comma|http://s/2||0||No comma||||-1",
        "http://s/3|http://s/3||0||||||-1"}},
      {"durations",
       "#EXTINF:123.5,A\nhttp://s/1\n#EXTINF:abc,B\nhttp://s/2\n#EXTINF:,C\nhttp://s/3\n"
       "#EXTINF:tvg-id=\"d\",D\nhttp://s/4\n#EXTINF: 7 ,E\nhttp://s/5\n#EXTINF:inf,F\nhttp://s/6\n",
       {"A|http://s/1||0||||||123.5", "B|http://s/2||0||||||-1", "C|http://s/3||0||||||-1", "D|http://s/4||0|d|||||-1",
        "E|http://s/5||0||||||7", "F|http://s/6||0||||||-1"}},
      {"words without = are passed over",
       "#EXTINF:-1 CUID tvg-id=\"x\" =odd,T\nhttp://s/1\n",
       {"T|http://s/1||0|x|||||-1"}},
  };
  for (const M3uCase& c : cases) expect_reads(c);
}

TEST(M3uReader, GroupsAndOptionsApplyToTheNextAddressOnly) {
  const M3uCase cases[] = {
      {"#EXTGRP before or after #EXTINF",
       "#EXTGRP:Movies\n#EXTINF:-1,A\nhttp://s/1\n"
       "#EXTINF:-1,B\n#EXTGRP: Shows \nhttp://s/2\n"
       "#EXTINF:-1,C\nhttp://s/3\n",
       {"A|http://s/1|Movies|0||||||-1", "B|http://s/2|Shows|0||||||-1", "C|http://s/3||0||||||-1"}},
      {"group-title wins over #EXTGRP",
       "#EXTINF:-1 group-title=\"News\",A\n#EXTGRP:Movies\nhttp://s/1\n",
       {"A|http://s/1|News|0||||||-1"}},
      {"HTTP options before and after #EXTINF, in either spelling",
       "#EXTVLCOPT:http-user-agent=Agent/1.0 (X11)\n#EXTINF:-1,A\n#EXTVLCOPT:http-referrer=http://r/\n"
       "#EXTVLCOPT:network-caching=1000\nhttp://s/1\n"
       "#EXTINF:-1,B\n#EXTVLCOPT:HTTP-REFERER=http://r2/\nhttp://s/2\n#EXTINF:-1,C\nhttp://s/3\n",
       {"A|http://s/1||0||||Agent/1.0 (X11)|http://r/|-1", "B|http://s/2||0|||||http://r2/|-1",
        "C|http://s/3||0||||||-1"}},
  };
  for (const M3uCase& c : cases) expect_reads(c);
}

TEST(M3uReader, PlainListsCommentsAndGuides) {
  expect_reads(
      {"one address a line, blanks around it",
       "http://s/1\n\n  rtsp://s/2  \n\tmms://s/3\n#EXT-X-VERSION:3\n# a note\n#KODIPROP:key=value\n",
       {"http://s/1|http://s/1||0||||||-1", "rtsp://s/2|rtsp://s/2||0||||||-1", "mms://s/3|mms://s/3||0||||||-1"}});

  const Playlist guides = read_m3u(
      "#EXTM3U url-tvg=\"http://g/a.xml, http://g/b.xml.gz\" x-tvg-url=\"http://g/a.xml,file:///etc/guide.xml\"\n"
      "#EXTM3U x-tvg-url=https://g/c.xml\n#EXTM3UX url-tvg=\"http://g/not-a-header\"\nhttp://s/1\n");
  EXPECT_EQ(guides.guide_addresses, Rows({"http://g/a.xml", "http://g/b.xml.gz", "https://g/c.xml"}));
  EXPECT_EQ(skip_reasons(guides), Rows({"line 1: not a network guide address"}));
  EXPECT_EQ(guides.entries.size(), 1u);
}

// A community list names a hundred guides or so: every one is offered. However many header lines
// a file holds (each #EXTM3U is read), the addresses stop at the bounds, each one past them skipped
// with why.
TEST(M3uReader, GuideAddressesAreKeptUpToTheBounds) {
  std::string many = "#EXTM3U url-tvg=\"";
  for (int i = 0; i < 101; ++i) many += (i ? "," : "") + std::string("https://epg.example/") + std::to_string(i) + ".xml.gz";
  const Playlist community = read_m3u(many + "\"\nhttp://s/1\n");
  ASSERT_EQ(community.guide_addresses.size(), 101u);
  EXPECT_EQ(community.guide_addresses.back(), "https://epg.example/100.xml.gz");
  EXPECT_EQ(community.skipped, 0u);
  for (int i = 101; i <= static_cast<int>(kMaxGuideAddresses); ++i) many += ",https://epg.example/" + std::to_string(i) + ".xml.gz";
  const Playlist one_more = read_m3u(many + "\"\nhttp://s/1\n");
  EXPECT_EQ(one_more.guide_addresses.size(), kMaxGuideAddresses);
  EXPECT_EQ(skip_reasons(one_more), Rows({"line 1: more than 1000 guide addresses"}));

  std::string hostile;
  const std::string long_address = "http://g/" + std::string(kMaxGuideAddressBytes, 'l');
  for (int line = 0; line < 40; ++line) {
    hostile += "#EXTM3U url-tvg=\"" + long_address;
    for (int i = 0; i < 50; ++i) hostile += ",http://g/" + std::to_string(line * 50 + i) + ",http://g/0";
    hostile += "\"\n";
  }
  const Playlist bounded = read_m3u(hostile + "http://s/1\n");
  ASSERT_EQ(bounded.guide_addresses.size(), kMaxGuideAddresses);
  EXPECT_EQ(bounded.guide_addresses.back(), "http://g/999");
  // The long address of each of the first 20 lines, the repeat that ends the 20th, and every
  // address of the 20 lines after it (a long one, 50 new, 50 repeats).
  EXPECT_EQ(bounded.skipped, 20 + 1 + 20 * 101);
  EXPECT_EQ(skip_reasons(bounded).front(), "line 1: a guide address longer than 2048 bytes");
  EXPECT_EQ(bounded.entries.size(), 1u);
}

TEST(M3uReader, SkipsAndCountsWhatItCannotUse) {
  const M3uCase cases[] = {
      {"#EXTINF without an address, before another and at the end",
       "#EXTINF:-1,Lost\n#EXTINF:-1,Kept\nhttp://s/1\n#EXTINF:-1,Lost too\n",
       {"Kept|http://s/1||0||||||-1"},
       2},
      {"addresses that are no network stream",
       "file:///etc/passwd\n/home/user/video.ts\nC:\\Videos\\clip.mp4\nrelative/clip.mp4\njavascript:alert(1)\n"
       "udp://@239.0.0.1:1234\nhttp://\nhttp://s/ok\nhttps://s/ok\nrtmp://s/ok\nrtsp://s/ok\nmmsh://s/ok\n",
       {"http://s/ok|http://s/ok||0||||||-1", "https://s/ok|https://s/ok||0||||||-1",
        "rtmp://s/ok|rtmp://s/ok||0||||||-1", "rtsp://s/ok|rtsp://s/ok||0||||||-1",
        "mmsh://s/ok|mmsh://s/ok||0||||||-1"},
       7},
      {"the same address twice: the first entry wins",
       "#EXTINF:-1,First\nhttp://s/1\n#EXTINF:-1 group-title=\"G\",Second\nhttp://s/1\nhttp://s/2\n  http://s/2\n",
       {"First|http://s/1||0||||||-1", "http://s/2|http://s/2||0||||||-1"},
       2},
  };
  for (const M3uCase& c : cases) expect_reads(c);

  const Playlist mixed = read_m3u("#EXTINF:-1,A\n#EXTINF:-1,B\nhttp://s/1\nftp://s/2\nhttp://s/1\n");
  EXPECT_EQ(skip_reasons(mixed), Rows({"line 1: #EXTINF without an address", "line 4: not a network stream address",
                                       "line 5: the same address as line 3"}));
}

TEST(M3uReader, KeepsAFewReasonsButCountsEveryLine) {
  std::string text;
  for (int i = 0; i < 12; ++i) text += "file:///clip" + std::to_string(i) + "\n";
  const Playlist playlist = read_m3u(text + "http://s/1\n");
  EXPECT_EQ(playlist.skipped, 12u);
  EXPECT_EQ(playlist.skip_examples.size(), Playlist::kSkipExamples);
  EXPECT_EQ(playlist.skip_examples.back().line, Playlist::kSkipExamples);
  EXPECT_EQ(playlist.entries.size(), 1u);
}

TEST(M3uReader, ALineOverTheBoundIsSkippedAndReadingGoesOn) {
  const std::string at_bound = "http://s/" + std::string(kMaxPlaylistLineBytes - 9, 'a');
  const std::string long_title = "#EXTINF:-1," + std::string(kMaxPlaylistLineBytes, 'x');
  const Playlist playlist =
      read_m3u(long_title + "\nhttp://s/1\n" + at_bound + "\n" + at_bound + "b\n" + "#EXTINF:-1,Last\nhttp://s/2");
  ASSERT_EQ(playlist.entries.size(), 3u);
  // The #EXTINF that was too long tells nothing about the address after it.
  EXPECT_EQ(playlist.text(playlist.entries[0].title), "http://s/1");
  EXPECT_EQ(playlist.text(playlist.entries[1].address), at_bound);
  EXPECT_EQ(playlist.text(playlist.entries[2].title), "Last");
  EXPECT_EQ(playlist.skipped, 2u);
  EXPECT_EQ(skip_reasons(playlist), Rows({"line 1: longer than 65536 bytes", "line 4: longer than 65536 bytes"}));
}

// The player refuses to load a stream with a control character in a header's value: the option is
// not used (and counted), the channel is kept and plays without it.
TEST(M3uReader, AHeaderValueWithAControlCharacterIsSkippedAndTheEntryKept) {
  using namespace std::string_literals;
  const struct {
    const char* what;
    std::string option;
    std::string reason;
  } cases[] = {
      {"NUL in the user agent", "http-user-agent=Agent\0/1"s, "a control character in the User-Agent header"},
      {"ESC in the user agent", "http-user-agent=\x1B[2JAgent", "a control character in the User-Agent header"},
      {"DEL in the referrer", "http-referrer=http://r/\x7F", "a control character in the Referer header"},
      {"C1 control in the referrer", "http-referer=http://r/\xC2\x85x", "a control character in the Referer header"},
  };
  for (const auto& c : cases) {
    const Playlist playlist = read_m3u("#EXTINF:-1,News\n#EXTVLCOPT:" + c.option + "\nhttp://s/1\n");
    EXPECT_EQ(entry_rows(playlist), Rows({"News|http://s/1||0||||||-1"})) << c.what;
    EXPECT_EQ(skip_reasons(playlist), Rows({"line 2: " + c.reason})) << c.what;
    EXPECT_EQ(playlist.skipped, 1u) << c.what;
  }
  // A tab is no control character in a header; cleaned like any blank.
  EXPECT_EQ(entry_rows(read_m3u("#EXTVLCOPT:http-user-agent=Agent\t1\nhttp://s/1\n")),
            Rows({"http://s/1|http://s/1||0||||Agent 1||-1"}));
}

// Titles, groups and user agents are shown or sent as they are read: no control or formatting
// character (a direction override turns a name around, a zero-width mark hides in it), one space
// for any run of blanks. A title left empty by that falls back as an empty title does.
TEST(M3uReader, TitlesGroupsAndUserAgentsAreCleanedAsShownTextsAre) {
  using namespace std::string_literals;
  const M3uCase cases[] = {
      {"controls and formatting characters in each",
       "#EXTINF:-1 group-title=\"Ne\u200Bws\0\",\x1B[31mRed\u202E der\u200B\n"
       "#EXTVLCOPT:http-user-agent=Agent\u200B/1\u202E\nhttp://s/1\n"s,
       {"[31mRed der|http://s/1|News|0||||Agent/1||-1"}},
      {"blanks folded", "#EXTINF:-1 group-title=\"  A \u00A0 B \",  Two \u2003  words \nhttp://s/1\n",
       {"Two words|http://s/1|A B|0||||||-1"}},
      {"a title of hidden characters gives way to tvg-name, cleaned for both",
       "#EXTINF:-1 tvg-name=\"Na\u200Bme\",\u200B\u202E\nhttp://s/1\n",
       {"Name|http://s/1||0||Name||||-1"}},
      {"and to the address, which stays as it is",
       "#EXTINF:-1 tvg-name=\"\u200B\",\u202E\nhttp://s/\u202Ex\nhttp://s/2\n",
       {"http://s/x|http://s/\u202Ex||0||\u200B||||-1", "http://s/2|http://s/2||0||||||-1"}},
      {"clean texts stay where they are", "#EXTINF:-1 group-title=\"Кино\",Радио 1\nhttp://s/1\n",
       {"Радио 1|http://s/1|Кино|0||||||-1"}},
  };
  for (const M3uCase& c : cases) expect_reads(c);

  // Cleaned where they lie: the text read is not copied.
  const Playlist playlist = read_m3u("#EXTINF:-1,A\u200Bb\nhttp://s/1\n");
  EXPECT_LE(playlist.texts.size(), std::string("#EXTINF:-1,A\u200Bb\nhttp://s/1\n").size());
}

namespace {
struct RequestCase {
  const char* what;
  std::string text;
  Rows rows;  // address|user agent|referrer|other headers|number|guide shift
  Rows skipped = {};
};

void expect_requests(const RequestCase& c) {
  const Playlist playlist = read_m3u(c.text);
  EXPECT_EQ(request_rows(playlist), c.rows) << c.what;
  EXPECT_EQ(skip_reasons(playlist), c.skipped) << c.what;
  EXPECT_EQ(playlist.skipped, c.skipped.size()) << c.what;
}
}  // namespace

// Lists carry addresses that strict URL parsing refuses but the player opens: templates filled in
// by the server's side, a "|" or "^" in the query, a backslash, a "%" that starts no escape.
TEST(M3uReader, TemplateAddressesAreStreams) {
  expect_requests(
      {"addresses the player opens",
       "#EXTINF:-1,A\nhttps://s.example/v1/master.m3u8?advertisingId={PSID}&deviceDNT={TARGETOPT}\n"
       "#EXTINF:-1,B\nhttp://s/live?ids=1|2^3\n"
       "#EXTINF:-1,C\nhttp://s/path\\segment/index.m3u8\n"
       "#EXTINF:-1,D\nhttp://s/100%/live.m3u8?q=%zz\n"
       "#EXTINF:-1,E\nrtmp://s/live/{stream}\n",
       {"https://s.example/v1/master.m3u8?advertisingId={PSID}&deviceDNT={TARGETOPT}|||||0",
        "http://s/live?ids=1|2^3|||||0", "http://s/path\\segment/index.m3u8|||||0",
        "http://s/100%/live.m3u8?q=%zz|||||0", "rtmp://s/live/{stream}|||||0"}});
  expect_requests({"the scheme and the host are required all the same",
                   "file:///etc/{x}\nhttp://\nhttp:///path{x}\nudp://239.0.0.1:1234\njavascript:alert({a})\n", {},
                   {"line 1: not a network stream address", "line 2: not a network stream address",
                    "line 3: not a network stream address", "line 4: not a network stream address",
                    "line 5: not a network stream address"}});
}

TEST(M3uReader, RequestHeadersInEverySpelling) {
  const RequestCase cases[] = {
      {"behind a | in the address",
       "http://s/1.m3u8|User-Agent=Foo/1.0 (X11; Linux)&Referer=http://x/\n"
       "http://s/2|referer=http%3A%2F%2Fr%2F%3Fa%3D1&user-agent=Mozilla%2F5.0%20Bar\n"
       "http://s/3|Origin=https://o.example&Cookie=sid=42; theme=dark&X-Token=abc\n"
       "http://s/4|Referer=http://r/?a=1&b&&Origin=http://o\n"
       "http://s/5?list=a|b\n",
       {"http://s/1.m3u8|Foo/1.0 (X11; Linux)|http://x/|||0", "http://s/2|Mozilla/5.0 Bar|http://r/?a=1|||0",
        "http://s/3|||Origin: https://o.example / Cookie: sid=42; theme=dark / X-Token: abc||0",
        "http://s/4||http://r/?a=1&b&|Origin: http://o||0", "http://s/5?list=a|b|||||0"}},
      {"attributes of #EXTINF in each spelling",
       "#EXTINF:-1 http-user-agent=\"A/1\" http-referrer=\"http://r1/\",One\nhttp://s/1\n"
       "#EXTINF:-1 user-agent='B/2' http-referer=http://r2/,Two\nhttp://s/2\n",
       {"http://s/1|A/1|http://r1/|||0", "http://s/2|B/2|http://r2/|||0"}},
      {"#EXTVLCOPT and #EXTHTTP",
       "#EXTINF:-1,One\n#EXTVLCOPT:http-origin=https://o/\n#EXTVLCOPT:http-cookie=a=1\n"
       "#EXTVLCOPT:http-header=X-Forwarded-For: 10.0.0.1\nhttp://s/1\n"
       "#EXTHTTP:{\"cookie\":\"c=\\\"q\\\"; d=2\",\"user-agent\":\"J/1\",\"referer\":\"http://j/\",\"origin\":\"http://jo/\","
       "\"max\":3}\n#EXTINF:-1,Two\nhttp://s/2\n",
       {"http://s/1|||Origin: https://o/ / Cookie: a=1 / X-Forwarded-For: 10.0.0.1||0",
        "http://s/2|J/1|http://j/|Cookie: c=\"q\"; d=2 / Origin: http://jo/||0"}},
      {"the first of a name counts, wherever it was given",
       "#EXTVLCOPT:http-user-agent=First\n#EXTINF:-1 user-agent=\"Second\",One\n"
       "#EXTHTTP:{\"User-Agent\":\"Third\",\"ORIGIN\":\"http://o1/\"}\n#EXTVLCOPT:http-origin=http://o2/\n"
       "http://s/1|User-Agent=Fourth&Referer=http://r/\n",
       {"http://s/1|First|http://r/|Origin: http://o1/||0"}},
      {"a value with a control character is not used, and counted",
       "http://s/1|User-Agent=Foo%0D%0AX-Injected: 1&Referer=http://r/\n"
       "#EXTHTTP:{\"cookie\":\"a=1\\r\\nHost: evil\"}\nhttp://s/2\n"
       "#EXTINF:-1 http-user-agent=\"Tab\tis fine\",Three\nhttp://s/3\n",
       {"http://s/1||http://r/|||0", "http://s/2|||||0", "http://s/3|Tab is fine||||0"},
       {"line 1: a control character in the User-Agent header", "line 2: a control character in the Cookie header"}},
      {"what cannot be a header",
       "#EXTHTTP:not json\n#EXTVLCOPT:http-header=no colon\n#EXTVLCOPT:http-header=Host: other\n"
       "#EXTHTTP:{\"bad name\":\"x\"}\nhttp://s/1|Content-Length=0\n",
       {"http://s/1|||||0"},
       {"line 1: #EXTHTTP without a JSON object", "line 2: a request header without a name",
        "line 3: the Host header, which the player writes itself", "line 4: a request header without a name",
        "line 5: the Content-Length header, which the player writes itself"}},
      {"headers apply to the next address only",
       "#EXTVLCOPT:http-cookie=a=1\nhttp://s/1\nhttp://s/2\n",
       {"http://s/1|||Cookie: a=1||0", "http://s/2|||||0"}},
  };
  for (const RequestCase& c : cases) expect_requests(c);

  // One channel per address: the headers are no part of it.
  const Playlist same = read_m3u("http://s/1|User-Agent=A\nhttp://s/1|User-Agent=B\n");
  EXPECT_EQ(request_rows(same), Rows({"http://s/1|A||||0"}));
  EXPECT_EQ(skip_reasons(same), Rows({"line 2: the same address as line 1"}));

  // Headers past the bound are counted, not kept: a file of endless header lines costs no more.
  std::string many;
  for (size_t i = 0; i <= kMaxRequestHeaders; ++i) many += "#EXTVLCOPT:http-header=X-" + std::to_string(i) + ": v\n";
  const Playlist bounded = read_m3u(many + "http://s/1\n");
  ASSERT_EQ(bounded.entries.size(), 1u);
  EXPECT_EQ(bounded.skipped, 1u);
  EXPECT_EQ(skip_reasons(bounded), Rows({"line 33: more than 32 request headers"}));
}

TEST(M3uReader, ChannelNumbersAndGuideShifts) {
  expect_requests(
      {"tvg-chno and tvg-shift of entries and of the header",
       "#EXTM3U tvg-shift=\"+2\"\n"
       "#EXTINF:-1 tvg-chno=\"101\",A\nhttp://s/1\n"
       "#EXTINF:-1 tvg-chno=007 tvg-shift=\"-1.5\",B\nhttp://s/2\n"
       "#EXTINF:-1 TVG-CHNO=\"0\" tvg-shift=0,C\nhttp://s/3\n"
       "#EXTINF:-1 tvg-chno=\"1.5\" tvg-shift=\"30\",D\nhttp://s/4\n"
       "#EXTINF:-1 tvg-chno=\"-3\" tvg-shift=\"two\",E\nhttp://s/5\n"
       "#EXTINF:-1 tvg-chno=\"+4\",F\nhttp://s/6\n"
       "#EXTINF:-1 tvg-chno=\"1000000000\",G\nhttp://s/7\n",
       {"http://s/1||||101|2", "http://s/2||||7|-1.5", "http://s/3|||||0", "http://s/4|||||2", "http://s/5|||||2",
        "http://s/6|||||2", "http://s/7|||||2"}});
  EXPECT_EQ(read_m3u("#EXTM3U tvg-shift=-3 url-tvg=\"http://g/a.xml\"\nhttp://s/1\n").guide_shift, -3.0f);
}
