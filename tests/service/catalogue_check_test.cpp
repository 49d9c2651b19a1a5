// quovi-catalogue check: the program's load of a file, summed up in one line, or its error.
#include "catalogue/catalogue_generator.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/zip_memory_writer.h"
#include "catalogue_tool.h"
#include "test_env.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
QString put_file(const QString& name, const std::string& bytes) {
  const QString path = quovi_test::sandbox_root() + "/" + name;
  EXPECT_TRUE(quovi_test::write_all(path, QByteArray::fromStdString(bytes)));
  return path;
}

std::string file_of(const std::vector<ZipMember>& members) { return encrypt_channel_file(make_zip(members)); }
}  // namespace

TEST(CatalogueCheck, SumsUpWhatTheProgramLoads) {
  const QString whole = put_file("channels.dat", generate_channel_file({3, 4, 5, 7}));
  // Members the loader does not know are passed over; missing ones leave their part empty.
  const QString partial =
      put_file("partial.dat", file_of({{"genres.dat", "1|News\r\n2|Jazz\r\n"},
                                       {"notes.txt", "not a member"},
                                       {"radio.dat", "5|SmF6eg==|http://r/5|128|1||0|2||0|0|0|0|0|0|0\r\n"}}));
  const struct {
    QString path;
    QString summary;
  } cases[] = {
      {whole, "TV 3, Radio 4, Video 5 channels; 200 countries, 100 genres; stamp 202608080707"},
      {partial, "TV 0, Radio 1, Video 0 channels; 0 countries, 2 genres; no stamp"},
  };
  for (const auto& c : cases) {
    const ToolRun run = run_catalogue_tool({"check", c.path});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    const QRegularExpression line("^" + QRegularExpression::escape(c.path + ": " + c.summary) +
                                  "; loaded in \\d+\\.\\d ms\n$");
    EXPECT_TRUE(line.match(QString::fromStdString(run.out)).hasMatch()) << run.out;
    EXPECT_EQ(run.err, "");
  }
}

TEST(CatalogueCheck, DamagedFileGivesTheErrorAndExitCodeOne) {
  const std::string good = generate_channel_file({3, 4, 5, 7});
  const struct {
    const char* name;
    std::string bytes;
    const char* error;  // part of the one line on stderr
  } cases[] = {
      {"bad-id.dat", file_of({{"tv.dat", "x|TmV3cw==|http://tv/1|800|1||0|1||12|3|2|0|0|0|0\r\n"}}),
       "\"tv.dat\", line 1"},
      {"bad-stamp.dat", file_of({{"version.dat", "2013"}}), "version"},
      // Without its end the archive has no directory: the program loads nothing, and says nothing.
      {"cut.dat", good.substr(0, good.size() / 2), "nothing loads from it"},
      {"empty.dat", "", "nothing loads from it"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = put_file(c.name, c.bytes);
    const ToolRun run = run_catalogue_tool({"check", path});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("quovi-catalogue: " + path.toStdString() + ": ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }

  const ToolRun missing = run_catalogue_tool({"check", quovi_test::sandbox_root() + "/none.dat"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
  EXPECT_EQ(run_catalogue_tool({"check"}).exit_code, 2);
}
