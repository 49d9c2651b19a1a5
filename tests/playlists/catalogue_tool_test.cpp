// The catalogue tool's playlist and guide commands, run as a program.
#include "../guide/guide_bytes.h"
#include "test_env.h"

#include <QDate>
#include <QProcess>
#include <gtest/gtest.h>

using namespace quovi_test;

namespace {
struct ToolRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

ToolRun run_catalogue_tool(const QStringList& arguments) {
  QProcess tool;
  tool.start(QStringLiteral(QUOVI_CATALOGUE_PROGRAM), arguments);
  if (!tool.waitForFinished(60000)) return {};
  return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1, tool.readAllStandardOutput().toStdString(),
          tool.readAllStandardError().toStdString()};
}
}  // namespace

TEST(CatalogueToolPlaylist, ListsTheEntriesAsTheProgramReadsThem) {
  const QString path = sandbox_root() + "/list.m3u";
  ASSERT_TRUE(write_all(path,
                        "\xEF\xBB\xBF#EXTM3U\r\n"
                        "#EXTINF:-1 tvg-id=\"o\tne\" tvg-logo=\"http://l/1.png\" group-title=\"News\",One\tTab\r\n"
                        "#EXTVLCOPT:http-user-agent=Agent/1\r\n#EXTVLCOPT:http-referrer=http://r/\r\nhttp://s/1\r\n"
                        "#EXTINF:-1 radio=\"true\",Радио\r\nhttp://s/2\r\nfile:///etc/passwd\r\nhttp://s/1\r\n"));
  const ToolRun run = run_catalogue_tool({"playlist", path});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            // A title's blanks are folded as it is read; any other text's tab is escaped.
            "One Tab\thttp://s/1\tNews\t0\to\\tne\thttp://l/1.png\tAgent/1\thttp://r/\t\t0\t\n"
            "Радио\thttp://s/2\t\t1\t\t\t\t\t\t0\t\n"
            "skipped 2\n");
  EXPECT_EQ(run.err, "line 8: not a network stream address\nline 9: the same address as line 5\n");

  const QString pls_path = sandbox_root() + "/station.pls";
  ASSERT_TRUE(write_all(pls_path,
                        "[playlist]\nFile3=http://127.0.0.1:1/three\nFile1=http://127.0.0.1:1/one\n"
                        "Title1=Station One\nNumberOfEntries=2\n"));
  const ToolRun pls = run_catalogue_tool({"playlist", pls_path});
  EXPECT_EQ(pls.exit_code, 0) << pls.err;
  EXPECT_EQ(pls.out,
            "Station One\thttp://127.0.0.1:1/one\t\t0\t\t\t\t\t\t0\t\n"
            "http://127.0.0.1:1/three\thttp://127.0.0.1:1/three\t\t0\t\t\t\t\t\t0\t\n"
            "skipped 0\n");

  const ToolRun missing = run_catalogue_tool({"playlist", sandbox_root() + "/none.m3u"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("none.m3u\" cannot be read"), std::string::npos) << missing.err;
  EXPECT_EQ(run_catalogue_tool({"playlist"}).exit_code, 2);
}

// Numbers, guide shifts and every request header, with the user agent and referrer in their columns.
TEST(CatalogueToolPlaylist, ListsRequestHeadersNumbersAndShifts) {
  const QString path = sandbox_root() + "/headers.m3u";
  ASSERT_TRUE(write_all(path,
                        "#EXTM3U tvg-shift=\"+1\"\n"
                        "#EXTINF:-1 tvg-chno=\"101\" http-user-agent=\"UA/1\",One\n"
                        "#EXTHTTP:{\"cookie\":\"sid=1\",\"origin\":\"http://o/\"}\n"
                        "http://s/1?id={PSID}|Referer=http://r/&X-Token=a%0Ab\n"
                        "#EXTINF:-1 tvg-shift=-2.5,Two\nhttp://s/2\n"));
  const ToolRun run = run_catalogue_tool({"playlist", path});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "One\thttp://s/1?id={PSID}\t\t0\t\t\tUA/1\thttp://r/\t101\t1\tCookie: sid=1\\nOrigin: http://o/\n"
            "Two\thttp://s/2\t\t0\t\t\t\t\t\t-2.5\t\n"
            "skipped 1\n");
  EXPECT_EQ(run.err, "line 4: a control character in the X-Token header\n");
}

TEST(CatalogueToolExport, ExportsAWholeCatalogueThatReadsBack) {
  const QString out = sandbox_root() + "/sample.m3u";
  const ToolRun run = run_catalogue_tool({"export", fixture("catalogue/sample-channels.dat"), "-o", out});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(read_all(out).startsWith("#EXTM3U\r\n#EXTINF:-1 group-title=\"News\",Euro News\r\n"));

  const ToolRun listed = run_catalogue_tool({"playlist", out});
  EXPECT_EQ(listed.out,
            "Euro News\thttp://127.0.0.1:1/tv/euronews\tNews\t0\t\t\t\t\t\t0\t\n"
            "T\xc3\xa9l\xc3\xa9 Jazz\thttp://127.0.0.1:1/tv/jazz\tJazz\t0\t\t\t\t\t\t0\t\n"
            "Real Only TV\trtsp://127.0.0.1:1/real\tNews\t0\t\t\t\t\t\t0\t\n"
            "Radio FM\thttp://127.0.0.1:1/radio/fm\tRock\t1\t\t\t\t\t\t0\t\n"
            "radio fm\thttp://127.0.0.1:1/radio/fm2\tRock\t1\t\t\t\t\t\t0\t\n"
            "Clip Zone\thttp://127.0.0.1:1/video/clips\tRock\t0\t\t\t\t\t\t0\t\n"
            "skipped 0\n");

  EXPECT_EQ(run_catalogue_tool({"export", fixture("catalogue/sample-channels.dat")}).exit_code, 2);
  const ToolRun missing = run_catalogue_tool({"export", sandbox_root() + "/none.dat", "-o", out});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_FALSE(missing.err.empty());
}

TEST(CatalogueToolGuide, ListsWhatTheProgramKeepsAndFailsOnARefusedGuide) {
  const QString path = sandbox_root() + "/guide.xml";
  const QDate today = QDate::currentDate();
  const QString day = today.toString(QStringLiteral("yyyyMMdd")), long_ago = QStringLiteral("20000101");
  const std::string d = day.toStdString(), old = long_ago.toStdString();
  ASSERT_TRUE(write_all(path, QByteArray::fromStdString(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><tv>"
      "<channel id=\"one\"><display-name>One</display-name><display-name>Eins\tTV</display-name></channel>"
      "<programme start=\"" + d + "120000 +0000\" stop=\"" + d + "130000 +0000\" channel=\"one\"><title>Noon</title><sub-title>Episode one</sub-title></programme>"
      "<programme start=\"" + d + "140000 +0000\" channel=\"one\"><title>Last</title></programme>"
      "<programme start=\"" + old + "120000 +0000\" stop=\"" + old + "130000 +0000\" channel=\"one\"><title>Old</title></programme>"
      "</tv>")));
  const std::string iso = today.toString(QStringLiteral("yyyy-MM-dd")).toStdString();
  const ToolRun run = run_catalogue_tool({"guide", path});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "channel\tone\tOne|Eins\\tTV\n"
                     "programme\tone\t" + iso + "T12:00:00Z\t" + iso + "T13:00:00Z\tNoon\tEpisode one\n"
                     "programme\tone\t" + iso + "T14:00:00Z\t\tLast\t\n"
                     "kept 1 channels, 2 programmes\n");
  const ToolRun all = run_catalogue_tool({"guide", "--all", path});
  EXPECT_EQ(all.exit_code, 0) << all.err;
  EXPECT_NE(all.out.find("2000-01-01T12:00:00Z\t2000-01-01T13:00:00Z\tOld"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("kept 1 channels, 3 programmes"), std::string::npos);

  // Forty megabytes of blanks in a small gzip file: refused, said on stderr.
  const QString bomb = sandbox_root() + "/bomb.xml.gz";
  ASSERT_TRUE(write_all(bomb, QByteArray::fromStdString(gzip("<tv>" + std::string(40 << 20, ' ') + "</tv>"))));
  const ToolRun refused = run_catalogue_tool({"guide", bomb});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_EQ(refused.out, "kept 0 channels, 0 programmes\n");
  EXPECT_NE(refused.err.find("grows to more than 100 times its size"), std::string::npos) << refused.err;
}
