#include "catalogue/base64_text.h"
#include "catalogue/catalogue_dump.h"
#include "catalogue/catalogue_generator.h"
#include "channel_file_helpers.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

using namespace quovi_test;

TEST(CatalogueDump, ListsTheSample) {
  std::ostringstream out;
  EXPECT_EQ(dump_channel_file(out, to_std(read_all(fixture("catalogue/sample-channels.dat")))), 0);
  const std::string expected =
      "version\t201301311530\t2013-01-31 15:30:00\n"
      "country\t0\t0\tAll Countries\n"
      "country\t1\t33\tFrance\n"
      "country\t2\t49\tGermany\n"
      "country\t3\t44\tUnited Kingdom\n"
      "genre\t0\t0\tAll Genres\n"
      "genre\t1\t12\tJazz\n"
      "genre\t2\t7\tNews\n"
      "genre\t3\t3\tRock\n"
      "channel\t0\t101\t1\t0\t0\t0\tEuro News\thttp://127.0.0.1:1/tv/euronews\t512\t1\thttp://example.org/en\t33\t7\tNews\t24h news\t9\t2\t4.5\t3\t0\t0\t0\t0\t0\n"
      "channel\t1\t102\t1\t0\t0\t0\tT\xc3\xa9l\xc3\xa9 Jazz\thttp://127.0.0.1:1/tv/jazz\t700\t1\t\t33\t12\tJazz\t\t0\t0\t0\t0\t0\t0\t0\t0\t2\n"
      "channel\t2\t103\t1\t0\t0\t0\tReal Only TV\trtsp://127.0.0.1:1/real\t300\t2\t\t49\t7\tNews\ttype 2\t7.5\t0\t0\t1\t2\t2\t0\t0\t1\n"
      "channel\t3\t201\t2\t0\t0\t0\tRadio FM\thttp://127.0.0.1:1/radio/fm\t128\t1\thttp://example.org/fm\t49\t3\tRock\trock | roll\t13.5\t3\t4.5\t0\t0\t1\t1\t1\t3\n"
      "channel\t4\t202\t2\t0\t0\t0\tradio fm\thttp://127.0.0.1:1/radio/fm2\t129\t1\t\t44\t3\tRock\t\t4\t1\t4\t0\t0\t0\t2\t2\t4\n"
      "channel\t5\t301\t3\t0\t0\t0\tClip Zone\thttp://127.0.0.1:1/video/clips\t1000\t1\t\t44\t3\tRock\tclips\t0\t0\t0\t0\t0\t0\t0\t1\t5\n";
  EXPECT_EQ(out.str(), expected);
}

TEST(CatalogueDump, EscapesTextsAndWritesShortestReals) {
  EXPECT_EQ(escape_dump_text("a\\b\tc\rd\ne|f"), "a\\\\b\\tc\\rd\\ne|f");
  EXPECT_EQ(format_shortest(0.1), "0.1");
  EXPECT_EQ(format_shortest(1.0 / 3), "0.3333333333333333");
  EXPECT_EQ(format_shortest(9), "9");
  EXPECT_EQ(format_shortest(-4.5), "-4.5");
  EXPECT_EQ(format_serial_date_time(0), "");
  EXPECT_EQ(format_serial_date_time(41305.645833333336), "2013-01-31 15:30:00");

  Catalogue info;
  ASSERT_EQ(load_members(info, {{"tv.dat", "1|" + encode_base64("tab\there") + "|u|1|1|h|1|1|" +
                                                 encode_base64("line\r\nbreak \\") + "|0.1|3|0|0|0|0|0"}}),
            "");
  std::ostringstream out;
  write_catalogue_dump(out, info);
  EXPECT_NE(out.str().find("\ttab\\there\tu\t"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("\tline\\r\\nbreak \\\\\t0.1\t3\t0.03333333333333333\t"), std::string::npos) << out.str();
}

TEST(CatalogueDump, FailedLoadListsWhatWasLoadedThenTheError) {
  std::ostringstream out;
  const std::string file = channel_file({{"countries.dat", "1|A\r\n"}, {"tv.dat", "1|x|\r\n"}});
  EXPECT_EQ(dump_channel_file(out, file), 1);
  // The short line gets no record: it is checked before one is made for it.
  EXPECT_EQ(out.str(),
            "version\t\t\ncountry\t0\t1\tA\n"
            "error\tThe channel database member \"tv.dat\", line 1, holds 2 fields where 16 are needed.\n");
}

TEST(CatalogueGenerator, SameSeedSameBytesAndEveryStatusOccurs) {
  const GeneratorOptions options{300, 400, 100, 42};
  const std::string file = generate_channel_file(options);
  EXPECT_EQ(generate_channel_file(options), file);
  EXPECT_NE(generate_channel_file({300, 400, 100, 43}), file);

  Catalogue info;
  load_channel_database_bytes(info, {}, file);
  EXPECT_EQ(info.version_stamp.size(), 12u);
  EXPECT_GT(info.version_time, 0);
  EXPECT_EQ(info.countries.size(), 200u);
  EXPECT_EQ(info.genres.size(), 100u);
  ASSERT_EQ(info.channels.size(), 800u);

  std::set<int32_t> statuses, ids, groups;
  size_t non_ascii = 0, cut_radio = 0, long_tv = 0, empty_genre = 0;
  for (const Channel& item : info.channels) {
    statuses.insert(item.status);
    ids.insert(item.id);
    groups.insert(item.group_id);
    const std::string_view name = item.name.bytes();
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) ++non_ascii;
    if (item.group_id != kGroupTV && name.size() == 154) ++cut_radio;
    if (item.group_id == kGroupTV && name.size() > 154) ++long_tv;
    if (item.genre.empty()) ++empty_genre;
    EXPECT_FALSE(item.url.empty());
  }
  EXPECT_EQ(statuses, (std::set<int32_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(ids.size(), info.channels.size());
  EXPECT_EQ(groups, (std::set<int32_t>{1, 2, 3}));
  EXPECT_GT(non_ascii, info.channels.size() / 4);
  EXPECT_GT(cut_radio + long_tv, 0u);
  EXPECT_GT(empty_genre, 0u);
}
