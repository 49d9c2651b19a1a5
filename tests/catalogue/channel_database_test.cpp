#include "catalogue/base64_text.h"
#include "catalogue/catalogue_paths.h"
#include "catalogue/code_page.h"
#include "catalogue/date_time.h"
#include "catalogue/lookups.h"
#include "channel_file_helpers.h"
#include "services/service_urls.h"
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quovi_test;
using namespace std::string_literals;

namespace {
// The rest of a channel line after id and name: url ... spam.
const std::string kRest = "http://127.0.0.1:1/s|128|1|http://example.org|33|7|Y29tbWVudA==|9|2|1|0|0|0|0";

std::string line(int id, const std::string& name = "TmFtZQ==", const std::string& rest = kRest) {
  return channel_line(id, name, rest) + "\r\n";
}

const std::vector<ZipMember> kTables = {
    {"countries.dat", "0|All Countries\r\n33|France\r\n"},
    {"genres.dat", "0|All Genres\r\n7|News\r\n3|Rock\r\n"},
};

std::vector<ZipMember> with_tables(std::vector<ZipMember> members) {
  members.insert(members.begin(), kTables.begin(), kTables.end());
  return members;
}

Channel user_channel(int32_t id, int32_t genre_id) {
  Channel item;
  item.id = id;
  item.user_defined = 1;
  item.group_id = kGroupRadio;
  item.genre_id = genre_id;
  item.genre = ShortText::from_bytes("stale");
  return item;
}

std::string name_bytes(const Channel& item) { return std::string(item.name.bytes()); }
}  // namespace

TEST(ChannelDatabase, LoadsTheSampleAsItsMembersSay) {
  Catalogue info;
  info.channels.push_back(user_channel(100001, 12));
  load_channel_database_bytes(info, {102, 301, 999}, to_std(read_all(fixture("catalogue/sample-channels.dat"))));

  EXPECT_EQ(info.version_stamp, "201301311530");
  ASSERT_EQ(info.countries.size(), 4u);
  EXPECT_EQ(info.countries[3].id, 44);
  EXPECT_EQ(info.countries[3].name.bytes(), "United Kingdom");
  ASSERT_EQ(info.genres.size(), 4u);
  EXPECT_EQ(info.genres[1].id, 12);
  EXPECT_EQ(info.genres[1].name.bytes(), "Jazz");

  ASSERT_EQ(info.channels.size(), 7u);
  EXPECT_EQ(info.channels[0].genre.bytes(), "Jazz");  // the user channel got its genre from the table
  EXPECT_EQ(info.channels[0].user_defined, 1);

  const Channel& news = info.channels[1];
  EXPECT_EQ(news.id, 101);
  EXPECT_EQ(news.group_id, kGroupTV);
  EXPECT_EQ(name_bytes(news), "Euro News");
  EXPECT_EQ(news.url.view(), "http://127.0.0.1:1/tv/euronews");
  EXPECT_EQ(news.bitrate, 512);
  EXPECT_EQ(news.type_id, 1);
  EXPECT_EQ(news.homepage.view(), "http://example.org/en");
  EXPECT_EQ(news.country_id, 33);
  EXPECT_EQ(news.genre_id, 7);
  EXPECT_EQ(news.genre.bytes(), "News");
  EXPECT_EQ(news.comment.view(), "24h news");
  EXPECT_EQ(news.rating, 9.0);
  EXPECT_EQ(news.rated, 2);
  EXPECT_EQ(news.average_rating, 4.5);
  EXPECT_EQ(news.workfine, 3);
  EXPECT_EQ(news.status, kStatusWorksFine);
  EXPECT_EQ(news.favorited, 0);
  EXPECT_EQ(news.sent, 0);
  EXPECT_EQ(news.user_defined, 0);

  EXPECT_EQ(name_bytes(info.channels[2]), "T\xe9l\xe9 Jazz");  // Windows-1252 bytes, kept as they are
  EXPECT_EQ(info.channels[2].name.text(), QStringLiteral("T\u00e9l\u00e9 Jazz"));
  EXPECT_EQ(info.channels[2].favorited, 1);
  EXPECT_EQ(info.channels[2].status, kStatusNew);
  EXPECT_EQ(info.channels[3].average_rating, 0);  // 7.5 with no ratings counted
  EXPECT_EQ(info.channels[3].status, kStatusNotWorking);
  EXPECT_EQ(info.channels[4].group_id, kGroupRadio);
  EXPECT_EQ(info.channels[4].comment.view(), "rock | roll");
  EXPECT_EQ(info.channels[4].status, kStatusWrongInfo);
  EXPECT_EQ(info.channels[5].homepage.view(), "");
  EXPECT_EQ(info.channels[5].status, kStatusDuplicate);
  EXPECT_EQ(info.channels[6].group_id, kGroupVideo);
  EXPECT_EQ(info.channels[6].favorited, 1);
  EXPECT_EQ(info.channels[6].status, kStatusSpam);
}

TEST(ChannelDatabase, ReadsTheFileInTheCatalogueFolder) {
  const QString app_data = sandbox_root() + "/data";
  Catalogue info;
  EXPECT_THROW(load_channel_database(info, {}, app_data), CatalogueError);  // no file
  EXPECT_TRUE(QDir(catalogue_folder()).exists());
  ASSERT_TRUE(write_all(channels_path(app_data), read_all(fixture("catalogue/sample-channels.dat"))));
  load_channel_database(info, {}, app_data);
  EXPECT_EQ(info.channels.size(), 6u);
}

TEST(ChannelDatabase, CreatesTheCatalogueFolderBeforeReading) {
  const QString app_data = sandbox_root() + "/fresh/data";
  Catalogue info;
  EXPECT_THROW(load_channel_database(info, {}, app_data), CatalogueError);
  EXPECT_TRUE(QDir(::catalogue_folder(app_data)).exists());
}

TEST(ChannelDatabase, CutsNamesPerMember) {
  const std::string two_hundred(200, 'n');
  const std::string long_name = std::string(300, 'm');
  Catalogue info;
  const std::string error = load_members(
      info, with_tables({{"tv.dat", line(1, encode_base64(two_hundred)) + line(2, encode_base64(long_name))},
                         {"radio.dat", line(3, encode_base64(two_hundred)) + line(4, encode_base64(long_name))},
                         {"video.dat", line(5, encode_base64(two_hundred))},
                         {"countries.dat", ""}}));  // the first entry of that name wins: ignored
  ASSERT_EQ(error, "");
  ASSERT_EQ(info.channels.size(), 5u);
  const size_t expected[] = {200, 254, 154, 154, 154};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(info.channels[i].name.size(), expected[i]) << i;

  // Table names keep 254 of their bytes, and the genre copied into a channel as well.
  Catalogue tables;
  const std::string genre_name(255, 'g');
  ASSERT_EQ(load_members(tables, {{"genres.dat", "7|" + genre_name + "\r\n"}, {"countries.dat", "1|" + std::string(300, 'c')},
                                  {"tv.dat", line(1)}}),
            "");
  EXPECT_EQ(tables.genres[0].name.size(), 254u);
  EXPECT_EQ(tables.countries[0].name.size(), 254u);
  EXPECT_EQ(tables.channels[0].genre.size(), 254u);
}

TEST(ChannelDatabase, VersionStampIsTwelveDigitsOfAValidDateAndTime) {
  struct Case {
    std::string content;
    QDateTime when;  // invalid: the stamp is refused
  };
  const QDateTime refused;
  const Case cases[] = {
      {"201301311530\r\n", QDateTime(QDate(2013, 1, 31), QTime(15, 30))},
      {"201301311530", QDateTime(QDate(2013, 1, 31), QTime(15, 30))},
      {"2013013115301999", QDateTime(QDate(2013, 1, 31), QTime(15, 30))},  // only the first twelve bytes count
      {"202402290000", QDateTime(QDate(2024, 2, 29), QTime(0, 0))},
      {"101301311530", QDateTime(QDate(1013, 1, 31), QTime(15, 30))},  // before 1899-12-30: below zero
      {"2013", refused},
      {"20130131153", refused},  // eleven digits
      {"2013013115", refused},
      {"", refused},
      {"201313011530", refused},  // month 13
      {"202302290000", refused},  // no 29 February
      {"201301312400", refused},
      {"201301311560", refused},
      {"000001010000", refused},
      {"2013-1-31 15", refused},
      {"20130101+1+1", refused},  // signs
      {"2013010+1530", refused},
      {"-20130101153", refused},
      {"2013 1311530", refused},  // blanks
      {"201301311530"s.replace(11, 1, "\0"s), refused},
      {"\xef\xbb\xbf201301311530", refused},
  };
  for (const Case& c : cases) {
    Catalogue info;
    const std::string error = load_members(info, {{"version.dat", c.content}, {"tv.dat", line(1)}});
    const std::string shown = testing::PrintToString(c.content);
    if (c.when.isValid()) {
      EXPECT_EQ(error, "") << shown;
      EXPECT_EQ(info.version_stamp, c.content.substr(0, 12)) << shown;
      EXPECT_EQ(info.version_time, to_serial_date(c.when)) << shown;
      EXPECT_EQ(info.channels.size(), 1u) << shown;
    } else {
      EXPECT_NE(error.find("version stamp"), std::string::npos) << shown << ": " << error;
      // A stamp that is no stamp is not kept, so it can never reach the download request.
      EXPECT_EQ(info.version_stamp, "") << shown;
      EXPECT_EQ(info.version_time, 0) << shown;
      EXPECT_TRUE(info.channels.empty()) << "the load ends at the stamp: " << shown;
    }
    const QByteArray url = catalogue_request_url(QStringLiteral("http://127.0.0.1:1"), info.version_stamp);
    EXPECT_TRUE(url.endsWith("key='") || QRegularExpression(QStringLiteral("key='&date=[0-9]{12}$")).match(QString::fromLatin1(url)).hasMatch())
        << url.toStdString();
  }
}

TEST(ChannelDatabase, AverageRatingAndStatus) {
  struct Case {
    std::string rating_to_spam;  // fields 9 to 15
    double rating, average_rating;
    int32_t status;
  };
  const Case cases[] = {
      {"7.5|0|0|0|0|0|0", 7.5, 0, kStatusNew},    {"9|2|3|3|0|0|0", 9, 4.5, kStatusWorksFine},
      {"9|-1|1|2|2|0|0", 9, 0, kStatusNotWorking}, {"1|3|0|0|1|1|1", 1, 1.0 / 3, kStatusWrongInfo},
      {"0|0|0|0|0|2|2", 0, 0, kStatusDuplicate},  {"-4.5|1|0|0|0|0|1", -4.5, -4.5, kStatusSpam},
  };
  for (const Case& c : cases) {
    Catalogue info;
    ASSERT_EQ(load_members(info, {{"radio.dat", line(1, "", "u|1|1|h|1|1|c|" + c.rating_to_spam)}}), "");
    ASSERT_EQ(info.channels.size(), 1u);
    EXPECT_EQ(info.channels[0].rating, c.rating) << c.rating_to_spam;
    EXPECT_DOUBLE_EQ(info.channels[0].average_rating, c.average_rating) << c.rating_to_spam;
    EXPECT_EQ(info.channels[0].status, c.status) << c.rating_to_spam;
  }
}

TEST(ChannelDatabase, MalformedNumbersEndTheLoadNamingMemberLineAndField) {
  struct Case {
    std::string member, text, needle;
  };
  const Case cases[] = {
      {"tv.dat", line(1) + channel_line(2, "", "u|1|1|h|1|1|c|4,5|2|0|0|0|0|0"), "line 2, field rating: \"4,5\""},
      {"tv.dat", line(1) + line(2) + channel_line(3, "", "u|x|1|h|1|1|c|4|2|0|0|0|0|0"), "line 3, field bitrate"},
      {"radio.dat", "2147483648||" + kRest, "line 1, field id: \"2147483648\""},
      {"radio.dat", line(1, "", "u|1|1|h|1|1|c|4|2|0|0|0|0| 1"), "field spam"},
      {"video.dat", line(1, "", "u|1|1|h|1|1|c||2|0|0|0|0|0"), "field rating"},
      {"countries.dat", "0|All\r\nabc|France\r\n", "line 2, field id"},
      {"genres.dat", "1.5|Rock\r\n", "line 1, field id"},
  };
  for (const Case& c : cases) {
    Catalogue info;
    const std::string error = load_members(info, {{c.member, c.text}});
    EXPECT_NE(error.find("\"" + c.member + "\""), std::string::npos) << error;
    EXPECT_NE(error.find(c.needle), std::string::npos) << error;
  }
}

TEST(ChannelDatabase, FailingLineEndsTheLoadWithNoRecordForLaterLines) {
  Catalogue info;
  const std::string tv = line(1) + channel_line(2, "TmFtZQ==", "u|1|1|h|1|7|c|4,5|2|0|0|0|0|0") + "\r\n" + line(3);
  EXPECT_NE(load_members(info, with_tables({{"tv.dat", tv}, {"radio.dat", line(4)}})), "");
  // Each line is checked before a record is made for it: none stands for the third line.
  ASSERT_EQ(info.channels.size(), 2u);
  EXPECT_EQ(info.channels[0].id, 1);
  EXPECT_EQ(info.channels[1].id, 2);  // filled up to the failing field
  EXPECT_EQ(name_bytes(info.channels[1]), "Name");
  EXPECT_EQ(info.channels[1].genre.bytes(), "News");
  EXPECT_EQ(info.channels[1].rating, 0);
  EXPECT_EQ(info.countries.size(), 2u);  // what was loaded before stays
}

// The members behind the one being read are inflated ahead of it; an error must stop that work
// wherever it stands, also while it waits for the reader to take what it has inflated.
TEST(ChannelDatabase, AFailingLineStopsTheInflateOfTheMembersBehindIt) {
  std::string radio;
  for (int id = 10; radio.size() < (size_t{6} << 20); ++id) radio += line(id);
  for (const std::string& tv : {"x|bad\r\n"s, line(1) + line(2) + "3|bad\r\n"}) {
    Catalogue info;
    const std::string error = load_members(info, with_tables({{"tv.dat", tv}, {"radio.dat", radio}, {"video.dat", radio}}));
    EXPECT_NE(error.find("\"tv.dat\""), std::string::npos) << error;
    EXPECT_EQ(info.channels.size(), tv.size() > 10 ? 2u : 0u);
  }
}

// Large members, stored and deflated: the load gives the pages it has inflated back as it goes,
// and every record still comes whole, from the file as from bytes in memory.
TEST(ChannelDatabase, LargeMembersLoadWholeStoredOrDeflated) {
  std::string radio, video;
  int id = 1;
  for (; radio.size() < (size_t{9} << 20); ++id) radio += line(id, "TmFtZQ==", "http://127.0.0.1:1/" + std::to_string(id) + kRest.substr(kRest.find('|')));
  const int first_video = id;
  for (; video.size() < (size_t{9} << 20); ++id) video += line(id);
  const std::string file = channel_file(with_tables({{"radio.dat", radio, false}, {"video.dat", video}}));
  QTemporaryDir app_data;
  ensure_catalogue_folder(app_data.path());
  QFile out(channels_path(app_data.path()));
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  ASSERT_EQ(out.write(file.data(), static_cast<qint64>(file.size())), static_cast<qint64>(file.size()));
  out.close();
  Catalogue from_file, from_bytes;
  load_channel_database(from_file, {}, app_data.path());
  load_channel_database_bytes(from_bytes, {}, file);
  for (const Catalogue* loaded : {&from_file, &from_bytes}) {
    ASSERT_EQ(loaded->channels.size(), static_cast<size_t>(id - 1));
    for (size_t k = 0; k < loaded->channels.size(); ++k) {
      const Channel& c = loaded->channels[k];
      ASSERT_EQ(c.id, static_cast<int32_t>(k + 1));
      ASSERT_EQ(c.group_id, c.id < first_video ? kGroupRadio : kGroupVideo);
      ASSERT_EQ(c.url.str(), c.id < first_video ? "http://127.0.0.1:1/" + std::to_string(c.id) : "http://127.0.0.1:1/s") << c.id;
      ASSERT_EQ(c.comment.str(), "comment") << c.id;
    }
  }
}

TEST(ChannelDatabase, ShortLinesEndTheLoadAndNoMissingFieldIsRead) {
  struct Case {
    std::string member, text, needle;
  };
  const Case cases[] = {
      {"tv.dat", line(1) + "2|TmFtZQ==|u|1|1|h|1|1|c|4|2|0|0|0|0\r\n", "line 2, holds 15 fields where 16"},
      {"tv.dat", line(1) + "\r\n" + line(2), "line 2, holds 0 fields"},
      {"radio.dat", line(1) + line(2) + "3|TmFtZQ==|u|1|1|h|1|1|c|4|2|0|0|0|0|", "line 3, holds 15 fields"},  // trailing "|" gives no field
      {"video.dat", "7", "line 1, holds 1 field where 16"},
      {"countries.dat", "0|All\r\n33\r\n", "line 2, holds 1 field where 2"},
      {"genres.dat", "0|All\r\n\r\n", "line 2, holds 0 fields where 2"},
  };
  for (const Case& c : cases) {
    Catalogue info;
    const std::string error = load_members(info, {{c.member, c.text}});
    EXPECT_NE(error.find("\"" + c.member + "\""), std::string::npos) << error;
    EXPECT_NE(error.find(c.needle), std::string::npos) << error;
  }
}

TEST(ChannelDatabase, LineEndsAndExtraFields) {
  const std::string seventeen = channel_line(2, "TmFtZQ==", kRest) + "|extra|more";
  const std::string texts[] = {
      line(1) + seventeen,
      channel_line(1, "TmFtZQ==", kRest) + "\n" + seventeen + "\n",
      channel_line(1, "TmFtZQ==", kRest) + "\r" + seventeen + "\r",
      line(1) + seventeen + "\r\n\0garbage after the end"s,
  };
  for (const std::string& text : texts) {
    Catalogue info;
    ASSERT_EQ(load_members(info, with_tables({{"tv.dat", text}})), "") << testing::PrintToString(text);
    ASSERT_EQ(info.channels.size(), 2u) << testing::PrintToString(text);
    EXPECT_EQ(info.channels[1].id, 2);
    EXPECT_EQ(info.channels[1].spam, 0);
    EXPECT_EQ(info.channels[1].comment.view(), "comment");
  }
}

TEST(ChannelDatabase, MembersFollowUserChannelsInOrderWhicheverAreMissing) {
  const std::vector<std::vector<ZipMember>> archives = {
      with_tables({{"radio.dat", line(20) + line(21)}, {"video.dat", line(30)}}),
      with_tables({{"video.dat", line(30)}, {"tv.dat", ""}, {"radio.dat", line(20) + line(21)}}),  // file order does not matter
      with_tables({{"Radio.DAT", line(20) + line(21)}, {"VIDEO.dat", line(30)}, {"data/tv.dat", line(10)}}),
  };
  for (const auto& members : archives) {
    Catalogue info;
    info.channels.push_back(user_channel(100001, 3));
    info.channels.push_back(user_channel(100002, 99));
    ASSERT_EQ(load_members(info, members), "");
    ASSERT_EQ(info.channels.size(), 5u);
    const int32_t ids[] = {100001, 100002, 20, 21, 30};
    const int32_t groups[] = {kGroupRadio, kGroupRadio, kGroupRadio, kGroupRadio, kGroupVideo};
    for (size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(info.channels[i].id, ids[i]) << i;
      EXPECT_EQ(info.channels[i].group_id, groups[i]) << i;
    }
    EXPECT_EQ(info.channels[0].genre.bytes(), "Rock");
    EXPECT_EQ(info.channels[1].genre.bytes(), "");  // no such genre
  }
}

TEST(ChannelDatabase, UserChannelsKeepTheirGenreWithoutAGenreTable) {
  Catalogue info;
  info.channels.push_back(user_channel(100001, 3));
  ASSERT_EQ(load_members(info, {{"tv.dat", line(1)}}), "");
  EXPECT_EQ(info.channels[0].genre.bytes(), "stale");
  EXPECT_EQ(info.channels[1].genre.bytes(), "");
}

TEST(ChannelDatabase, GenreNamesMatchTheLookup) {
  // The first of two rows sharing an id wins, as genre_name_by_id answers.
  Catalogue info;
  ASSERT_EQ(load_members(info, {{"genres.dat", "5|Caf\xe9\r\n5|Second\r\n6||\r\n"},
                                {"video.dat", line(1, "", "u|1|1|h|1|5|c|0|0|0|0|0|0|0") +
                                                  line(2, "", "u|1|1|h|1|6|c|0|0|0|0|0|0|0") +
                                                  line(3, "", "u|1|1|h|1|-5|c|0|0|0|0|0|0|0")}}),
            "");
  for (const Channel& item : info.channels)
    EXPECT_EQ(item.genre.text(), genre_name_by_id(item.genre_id, info.genres)) << item.id;
  EXPECT_EQ(info.channels[0].genre.bytes(), "Caf\xe9");
}

TEST(ChannelDatabase, TextsAreStoredAsUtf8AndNamesAsWindows1252) {
  Catalogue info;
  const std::string name = encode_base64("\x80uro \xc5lborg");
  const std::string comment = encode_base64("Gr\xfc\xdf\x65 | tab\there");
  ASSERT_EQ(load_members(info, {{"tv.dat", line(1, name, "http://h/\xe9|1|1|http://\xfc.de|1|1|" + comment +
                                                             "|0|0|0|0|0|0|0")}}),
            "");
  const Channel& item = info.channels[0];
  EXPECT_EQ(name_bytes(item), "\x80uro \xc5lborg");
  EXPECT_EQ(item.name.text(), QStringLiteral("\u20acuro \u00c5lborg"));
  EXPECT_EQ(item.url.view(), "http://h/\xc3\xa9");
  EXPECT_EQ(item.homepage.view(), "http://\xc3\xbc.de");
  EXPECT_EQ(item.comment.view(), cp1252_to_utf8("Gr\xfc\xdf\x65 | tab\there"));
}

TEST(ChannelDatabase, FavouritesAreMarkedByIdAmongMany) {
  std::vector<int32_t> favorites;
  for (int32_t id = 1000; id > 0; id -= 3) favorites.push_back(id);  // unsorted on purpose
  std::string tv;
  for (int id = 1; id <= 30; ++id) tv += line(id);
  Catalogue info;
  ASSERT_EQ(load_members(info, {{"tv.dat", tv}}, favorites), "");
  for (const Channel& item : info.channels) EXPECT_EQ(item.favorited, is_favorite(favorites, item.id) ? 1 : 0) << item.id;
}

TEST(ChannelDatabase, DamagedOrEmptyFilesLoadNothingWithoutError) {
  const std::string sample = to_std(read_all(fixture("catalogue/sample-channels.dat")));
  const std::string files[] = {"", "x", std::string(4096, '\0'), sample.substr(0, sample.size() / 2),
                               encrypt_channel_file("PK\x05\x06 not quite an archive")};
  for (const std::string& file : files) {
    Catalogue info;
    info.channels.push_back(user_channel(100001, 3));
    EXPECT_NO_THROW(load_channel_database_bytes(info, {}, file)) << file.size();
    EXPECT_EQ(info.channels.size(), 1u);
    EXPECT_TRUE(info.version_stamp.empty());
    EXPECT_EQ(info.version_time, 0);
    EXPECT_TRUE(info.countries.empty());
  }
}

TEST(ChannelDatabase, ArchiveWithoutMembersOrWithEmptyMembers) {
  Catalogue info;
  ASSERT_EQ(load_members(info, {{"readme.txt", "hello"}}), "");
  EXPECT_TRUE(info.channels.empty());
  ASSERT_EQ(load_members(info, {{"countries.dat", ""}, {"tv.dat", ""}, {"radio.dat", "\0junk"s}}), "");
  EXPECT_TRUE(info.channels.empty());
  EXPECT_TRUE(info.countries.empty());
}

// The member is read in pieces; a changed byte in its first piece or far behind it fails the same.
TEST(ChannelDatabase, MemberFailingItsCrcEndsTheLoad) {
  std::string large;
  for (int id = 1; large.size() < (size_t{1} << 20); ++id) large += line(id);
  for (const std::string& tv : {line(1), large}) {
    std::string zip = make_zip(with_tables({{"tv.dat", tv, false}, {"radio.dat", line(2)}}));
    zip[zip.rfind("http://127.0.0.1:1/s", zip.find("radio.dat"))] = 'H';
    Catalogue info;
    try {
      load_channel_database_bytes(info, {}, encrypt_channel_file(zip));
      ADD_FAILURE() << "no error, " << tv.size() << " bytes";
    } catch (const CatalogueError& e) {
      EXPECT_NE(std::string(e.what()).find("\"tv.dat\" of the channel database fails its CRC check"),
                std::string::npos)
          << e.what();
    }
    EXPECT_EQ(info.genres.size(), 3u);
    EXPECT_TRUE(info.channels.empty());
  }
}

TEST(ChannelDatabase, MembersBeforeADamagedMemberStayLoaded) {
  std::string zip = make_zip(with_tables({{"tv.dat", line(1) + line(2)}, {"radio.dat", line(3), false}, {"video.dat", line(4)}}));
  zip[zip.find("|http://127.0.0.1:1/s|") + 1] = 'H';  // the stored radio member's only line
  Catalogue info;
  info.channels.push_back(user_channel(100001, 3));
  try {
    load_channel_database_bytes(info, {}, encrypt_channel_file(zip));
    FAIL() << "no error";
  } catch (const CatalogueError& e) {
    EXPECT_NE(std::string(e.what()).find("\"radio.dat\""), std::string::npos) << e.what();
  }
  ASSERT_EQ(info.channels.size(), 3u);
  EXPECT_EQ(info.channels[1].id, 1);
  EXPECT_EQ(info.channels[2].id, 2);
}

TEST(ChannelDatabase, TablesAreReplacedAndChannelsAppended) {
  Catalogue info;
  info.countries.push_back({99, ShortText::from_bytes("old")});
  ASSERT_EQ(load_members(info, with_tables({{"tv.dat", line(1)}})), "");
  ASSERT_EQ(load_members(info, {{"tv.dat", line(2)}}), "");
  EXPECT_EQ(info.countries.size(), 2u);
  EXPECT_EQ(info.countries[0].id, 0);
  ASSERT_EQ(info.channels.size(), 2u);
  EXPECT_EQ(info.channels[1].id, 2);
}
