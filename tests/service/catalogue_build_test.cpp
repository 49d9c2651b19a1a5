#include "catalogue/catalogue_error.h"
#include "catalogue/channel_database.h"
#include "catalogue_build.h"

#include <gtest/gtest.h>

namespace {
// id|name|url|bitrate|type|homepage|country|genre|comment|rating|rated|W|N|R|D|S
const std::string kRadio =
    "7|UmFkaW8=|http://a/|128|1|http://h/|1|2|Qw==|9|2|1|0|0|0|0\r\n"
    "8|UmFkaW8y|http://b/|64|1||1|2||4.5|1|0|0|0|0|0|extra\n"
    "9|UmFkaW8z|http://c/|64|1||1|2||0|0|0|0|0|0|0";

TEST(CatalogueBuild, FoldsFeedbackIntoItsChannelsLinesOnly) {
  std::map<int32_t, ChannelFeedback> totals;
  totals[7] = ChannelFeedback{8, 2, 1, 2, 0, 1, 0, 3};  // sum, count, W, N, R, D, S, broken
  totals[8] = ChannelFeedback{3, 1, 0, 0, 2, 0, 1, 0};
  totals[42] = ChannelFeedback{5, 1, 0, 0, 0, 0, 0, 0};
  const FoldResult r = fold_feedback_into_member("radio.dat", kRadio, totals);
  EXPECT_EQ(r.content,
            "7|UmFkaW8=|http://a/|128|1|http://h/|1|2|Qw==|17|4|2|5|0|1|0\r\n"
            "8|UmFkaW8y|http://b/|64|1||1|2||7.5|2|0|0|2|0|1|extra\n"
            "9|UmFkaW8z|http://c/|64|1||1|2||0|0|0|0|0|0|0");
  EXPECT_EQ(r.channels_changed, 2u);
  EXPECT_EQ(r.matched_ids, (std::vector<int32_t>{7, 8}));
}

TEST(CatalogueBuild, CountsStayWithin32Bits) {
  const std::string line = "1|TQ==|u|0|1||0|0||0|2147483000|0|0|0|0|0";
  std::map<int32_t, ChannelFeedback> totals;
  totals[1] = ChannelFeedback{5, 1000, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(fold_feedback_into_member("tv.dat", line, totals).content, "1|TQ==|u|0|1||0|0||5|2147483647|0|0|0|0|0");
}

TEST(CatalogueBuild, RefusesLinesThatAreNoChannelLines) {
  const std::map<int32_t, ChannelFeedback> totals{{1, ChannelFeedback{5, 1, 0, 0, 0, 0, 0, 0}}};
  const struct {
    std::string content;
    std::string message;
  } cases[] = {
      {"1|TQ==|u|0|1||0|0||0|0|0|0|0|0|0\n1|TQ==|u", "tv.dat line 2: a channel line needs 16 fields"},
      {"1|TQ==|u|0|1||0|0||0|0|0|0|0|0|0\r\n\r\n", "tv.dat line 2: a channel line needs 16 fields"},
      {"x|TQ==|u|0|1||0|0||0|0|0|0|0|0|0", "tv.dat line 1: the channel id"},
      {"1|TQ==|u|0|1||0|0||4,5|0|0|0|0|0|0", "tv.dat line 1: the rating"},
      {"1|TQ==|u|0|1||0|0||0|0|0|many|0|0|0", "tv.dat line 1: field 12"},
  };
  for (const auto& c : cases) {
    try {
      fold_feedback_into_member("tv.dat", c.content, totals);
      ADD_FAILURE() << "accepted " << c.content;
    } catch (const CatalogueError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

TEST(CatalogueBuild, NewStampIsLaterThanEveryEarlierOne) {
  const QDateTime now(QDate(2026, 12, 10), QTime(4, 30, 59));
  const struct {
    std::vector<std::string> earlier;
    std::string expected;
  } cases[] = {
      {{}, "202612100430"},
      {{"201301311530", "garbage"}, "202612100430"},
      {{"202612100430"}, "202612100431"},
      {{"202612312359", "202612100430"}, "202701010000"},
  };
  for (const auto& c : cases) EXPECT_EQ(next_version_stamp(now, c.earlier), c.expected);
}

TEST(CatalogueBuild, BuildsALoadableCatalogueWithTheNewStamp) {
  std::vector<ZipMember> members = {
      {"genres.dat", "2|Jazz\r\n"}, {"RADIO.DAT", kRadio}, {"Version.dat", "201301311530\r\n"}};
  std::map<int32_t, ChannelFeedback> totals;
  totals[9] = ChannelFeedback{10, 2, 0, 0, 0, 0, 0, 0};
  totals[-4] = ChannelFeedback{0, 0, 1, 0, 0, 0, 0, 0};
  const BuildSummary summary = fold_feedback_into_catalogue(members, totals, "202612100430");
  EXPECT_EQ(summary.channels_changed, 1u);
  EXPECT_EQ(summary.unknown_channel_ids, std::vector<int32_t>{-4});
  EXPECT_EQ(members[2].content, "202612100430\r\n");

  Catalogue info;
  load_channel_database_bytes(info, {}, make_channel_file(members, QDateTime::currentDateTime()));
  EXPECT_EQ(info.version_stamp, "202612100430");
  ASSERT_EQ(info.channels.size(), 3u);
  const auto& nine = info.channels.back();
  EXPECT_EQ(nine.id, 9);
  EXPECT_EQ(nine.rating, 10);
  EXPECT_EQ(nine.rated, 2);
  EXPECT_EQ(nine.average_rating, 5);
  EXPECT_EQ(nine.genre.text(), "Jazz");

  std::vector<ZipMember> unstamped = {{"tv.dat", "1|TQ==|u|0|1||0|0||0|0|0|0|0|0|0"}};
  fold_feedback_into_catalogue(unstamped, {}, "202612100430");
  ASSERT_EQ(unstamped.size(), 2u);
  EXPECT_EQ(unstamped[0].name, "version.dat");
}
}  // namespace
