#include "guide/guide_sources.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <string>
#include <vector>

namespace {
// An address of exactly `bytes` bytes of UTF-8, told apart by `n`; its path in two-byte letters, so
// the bound is seen to count bytes rather than letters.
QString address_of_bytes(int n, qsizetype bytes) {
  const QString start = QStringLiteral("https://guide.example/%1/").arg(n, 4, 10, QLatin1Char('0'));
  const qsizetype left = bytes - start.size();
  return start + QString(left / 2, QChar(0x00E9)) + (left % 2 ? QStringLiteral("x") : QString());
}

std::vector<std::string> addresses(int count, const char* folder = "g") {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back("http://" + std::string(folder) + ".example/" + std::to_string(i) + ".xml.gz");
  return out;
}

QStringList locations(const std::vector<GuideSource>& sources) {
  QStringList out;
  for (const GuideSource& s : sources) out << s.location + QStringLiteral(" [%1]").arg(s.from_playlist ? s.playlist : -1);
  return out;
}
}  // namespace

// The lines of older files read as they did; an owner and a refusal are lines of their own, and
// every line the program writes reads back as it was.
TEST(GuideSourcesFile, EachKindOfLineReadsOneWayAndBack) {
  const struct {
    const char* what;
    QByteArray line;
    GuideSources expected;
  } cases[] = {
      {"the user's own", "  http://a.example/x.xml \n", {{{"http://a.example/x.xml", false, 0}}, {}}},
      {"a file", "/home/u/guides/tv.xml.gz\r\n", {{{"/home/u/guides/tv.xml.gz", false, 0}}, {}}},
      {"a playlist's, of an older file", "playlist\thttp://b.example/y.xml\n", {{{"http://b.example/y.xml", true, 0}}, {}}},
      {"a playlist's with its id", "playlist\t65535\thttp://c.example/z.xml\n", {{{"http://c.example/z.xml", true, 65535}}, {}}},
      {"refused for one playlist", "removed\t7\thttp://d.example/w.xml\n", {{}, {{7, "http://d.example/w.xml"}}}},
      {"refused for every playlist", "removed\t0\thttp://e.example/v.xml\n", {{}, {{0, "http://e.example/v.xml"}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const GuideSourcesParsed parsed = parse_guide_sources(c.line);
    EXPECT_EQ(parsed.unusable, 0);
    EXPECT_EQ(parsed.list, c.expected);
    const GuideSourcesParsed again = parse_guide_sources(guide_sources_text(parsed.list));
    EXPECT_EQ(again.unusable, 0);
    EXPECT_EQ(again.list, c.expected);
  }

  const QByteArray unusable[] = {
      "removed\thttp://x.example/no-id.xml",                      // a refusal names its playlist
      "removed\t70000\thttp://x.example/big-id.xml",              // past the ids there are
      "playlist\t0\thttp://x.example/zero.xml",                   // 0 is written without the id
      "http://x.example/a\tb.xml",                                // a tab in a location
      "http://x.example/" + QByteArray(kMaxGuideLocationBytes, 'l'),  // past the length bound
      "http://x.example/\xff\xfe.xml",                            // not UTF-8
  };
  for (const QByteArray& line : unusable) {
    SCOPED_TRACE(line.left(60).toStdString());
    const GuideSourcesParsed parsed = parse_guide_sources("http://kept.example/k.xml\n" + line + "\n");
    EXPECT_EQ(parsed.unusable, 1);
    EXPECT_EQ(parsed.list, (GuideSources{{{"http://kept.example/k.xml", false, 0}}, {}}));
  }
}

// A list filled to every bound, with the longest addresses and ids, writes a file that reads back
// whole; what would go past a bound is refused when it is added, with the reason.
TEST(GuideSourcesFile, WhateverAddAcceptsReadsBack) {
  const QString path = guide_sources_path(quovi_test::sandbox_root() + "/data");
  std::vector<GuideSource> sources;
  std::vector<RefusedGuide> refused;
  ASSERT_EQ(add_guide_source(sources, address_of_bytes(0, kMaxGuideLocationBytes)), "");
  std::vector<std::string> named;
  for (int n = 1; n < static_cast<int>(kMaxGuideSources); ++n)
    named.push_back(address_of_bytes(n, kMaxGuideLocationBytes).toStdString());
  EXPECT_EQ(take_playlist_guides(sources, refused, 65535, named).left_out, 0);
  ASSERT_EQ(sources.size(), kMaxGuideSources);
  // Refused past the bound: the oldest refusals go.
  for (int n = 0; n < static_cast<int>(kMaxGuideSources) + 2; ++n) {
    const QString location = address_of_bytes(2000 + n, kMaxGuideLocationBytes);
    std::vector<GuideSource> named_once{{location, true, 65535}};
    ASSERT_TRUE(remove_guide_source(named_once, refused, location));
  }
  ASSERT_EQ(refused.size(), kMaxGuideSources);
  EXPECT_EQ(refused.front().location, address_of_bytes(2002, kMaxGuideLocationBytes));
  const GuideSources list{sources, refused};

  ASSERT_TRUE(save_guide_sources(path, list));
  EXPECT_LE(QFileInfo(path).size(), kMaxGuideSourcesFileBytes);
  const GuideSourcesRead read = read_guide_sources(path);
  EXPECT_EQ(read.problem, "");
  EXPECT_TRUE(read.list == list);

  const struct {
    const char* what;
    std::vector<GuideSource> into;
    QString location;
    const char* problem;
  } refusals[] = {
      {"list full", sources, "http://one.more.example/x.xml", "The list of guides is full: it holds at most 1000."},
      {"too long", {}, address_of_bytes(1, kMaxGuideLocationBytes + 1), "longer than 2048 bytes"},
      {"a tab", {}, "http://a.example/\tx.xml", "a line break, a tab or another control character"},
  };
  for (const auto& c : refusals) {
    SCOPED_TRACE(c.what);
    std::vector<GuideSource> into = c.into;
    EXPECT_TRUE(add_guide_source(into, c.location).contains(QLatin1String(c.problem)));
    EXPECT_EQ(into.size(), c.into.size());
  }
}

// A playlist names many guides, each once among them; those the user removed stay out of its
// refreshes; removing it removes them; the user's own are never its.
TEST(PlaylistGuides, BelongToTheirPlaylist) {
  std::vector<GuideSource> sources;
  std::vector<RefusedGuide> refused;
  ASSERT_EQ(add_guide_source(sources, "http://g.example/0.xml.gz"), "");  // the user's, named by the playlist too
  sources.push_back({"http://old.example/x.xml", true, 0});                // listed before owners were kept

  // A community list names 101: all are taken.
  std::vector<std::string> named = addresses(101);
  named.push_back("http://old.example/x.xml");
  PlaylistGuidesTaken taken = take_playlist_guides(sources, refused, 5, named);
  EXPECT_TRUE(taken.changed);
  EXPECT_EQ(taken.left_out, 0);
  ASSERT_EQ(sources.size(), 102u);
  EXPECT_EQ(sources[0], (GuideSource{"http://g.example/0.xml.gz", false, 0}));
  EXPECT_EQ(sources[1], (GuideSource{"http://old.example/x.xml", true, 5}));
  EXPECT_EQ(sources[101], (GuideSource{"http://g.example/100.xml.gz", true, 5}));
  EXPECT_FALSE(take_playlist_guides(sources, refused, 5, named).changed);

  // Removed by the user: the next refresh leaves it out, as it does one refused for every playlist.
  ASSERT_TRUE(remove_guide_source(sources, refused, "http://g.example/7.xml.gz"));
  ASSERT_TRUE(remove_guide_source(sources, refused, "http://g.example/0.xml.gz"));  // the user's own: no refusal
  refused.push_back({0, "http://g.example/8.xml.gz"});
  ASSERT_TRUE(remove_guide_source(sources, refused, "http://g.example/8.xml.gz"));
  EXPECT_EQ(refused, (std::vector<RefusedGuide>{{5, "http://g.example/7.xml.gz"}, {0, "http://g.example/8.xml.gz"}}));
  take_playlist_guides(sources, refused, 5, named);
  // The user's own that the playlist names too comes back as the playlist's.
  EXPECT_EQ(sources.size(), 100u);
  EXPECT_EQ(sources.back(), (GuideSource{"http://g.example/0.xml.gz", true, 5}));

  // Another playlist naming one of them does not take it over.
  EXPECT_TRUE(take_playlist_guides(sources, refused, 6, {"http://g.example/3.xml.gz", "http://h.example/1.xml"}).changed);
  EXPECT_EQ(locations(sources).filter("[6]"), QStringList{"http://h.example/1.xml [6]"});

  // A refresh that names fewer takes the others away, and their refusals.
  take_playlist_guides(sources, refused, 5, addresses(3));
  EXPECT_EQ(locations(sources), (QStringList{"http://g.example/1.xml.gz [5]", "http://g.example/2.xml.gz [5]",
                                             "http://g.example/0.xml.gz [5]", "http://h.example/1.xml [6]"}));
  EXPECT_EQ(refused, (std::vector<RefusedGuide>{{0, "http://g.example/8.xml.gz"}}));

  // Removing the playlist removes its guides; what is not its own stays.
  sources.push_back({"/home/u/tv.xml", false, 0});
  EXPECT_TRUE(remove_playlist_guides(sources, refused, 5));
  EXPECT_EQ(locations(sources), (QStringList{"http://h.example/1.xml [6]", "/home/u/tv.xml [-1]"}));
  EXPECT_EQ(refused.size(), 1u);
}

// The file: header lines of a playlist named 60 KB addresses until the file outgrew what
// the reader takes, and the next save then wrote the list without the user's own.
TEST(GuideSourcesFile, AFileThatCannotBeReadBackWholeIsSetAsideNeverOverwritten) {
  const QString path = guide_sources_path(quovi_test::sandbox_root() + "/data");
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
  QByteArray damaged = "/home/u/my guide.xml\n";
  for (int i = 0; i < 32; ++i) damaged += "playlist\thttp://g.example/" + QByteArray(60 * 1024, char('a' + i % 26)) + "\n";
  const struct {
    const char* what;
    QByteArray text;
    GuideSources kept;
    const char* told;
  } cases[] = {
      {"long lines", damaged, {{{"/home/u/my guide.xml", false, 0}}, {}}, "goes on with the 1 guide sources it could read"},
      {"larger than any list", QByteArray(kMaxGuideSourcesFileBytes + 1, 'x'), {}, "starts a new list"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(quovi_test::write_all(path, c.text));
    const GuideSourcesRead read = read_guide_sources(path);
    EXPECT_EQ(read.list, c.kept);
    EXPECT_TRUE(read.writable);
    const QString aside = path + ".bad";
    EXPECT_TRUE(read.problem.contains(QDir::toNativeSeparators(aside))) << read.problem.toStdString();
    EXPECT_TRUE(read.problem.contains(QLatin1String(c.told))) << read.problem.toStdString();
    EXPECT_EQ(quovi_test::read_all(aside), c.text);
    // What was kept is in the file at once, and reads back without a word.
    const GuideSourcesRead again = read_guide_sources(path);
    EXPECT_EQ(again.list, c.kept);
    EXPECT_EQ(again.problem, "");
    ASSERT_TRUE(QFile::remove(aside));
  }
}
