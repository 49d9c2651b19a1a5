#include "catalogue/catalogue_error.h"
#include "catalogue/zip_memory_reader.h"
#include "catalogue/zip_memory_writer.h"
#include "channel_file_helpers.h"
#include "test_env.h"

#include <gtest/gtest.h>

using namespace quovi_test;

TEST(MemoryZip, FindsMembersWithAsciiLettersFoldedOnly) {
  const std::string zip = make_zip({{"data/tv.dat", "folder"},
                                    {"TV.DAT", "first"},
                                    {"tv.dat", "second"},
                                    {"Radio.Dat", "radio"},
                                    {"caf\xc9.dat", "upper e acute"}});
  MemoryZipReader archive(zip);
  ASSERT_TRUE(archive.is_open());
  struct Case {
    std::string wanted;
    bool found;
    std::string content;
  };
  const Case cases[] = {
      {"tv.dat", true, "first"},  // first entry in directory order, whatever its case
      {"radio.dat", true, "radio"},
      {"RADIO.DAT", true, "radio"},
      {"data/tv.dat", true, "folder"},
      {"video.dat", false, ""},
      {"v.dat", false, ""},
      {"tv.da", false, ""},
      {"caf\xc9.dat", true, "upper e acute"},
      {"caf\xe9.dat", false, ""},  // letters outside ASCII are compared exactly
  };
  for (const Case& c : cases) {
    EXPECT_EQ(archive.locate(c.wanted), c.found) << c.wanted;
    if (c.found) {
      EXPECT_EQ(read_archive_member(archive), c.content) << c.wanted;
    }
  }
}

TEST(MemoryZip, ReadsStoredAndDeflatedMembersOfAnySize) {
  std::string big;
  for (unsigned i = 0; i < 300000; ++i) big += std::to_string(i * 7919u % 1000) + "|";
  const std::string zip = make_zip({{"big.dat", big, true}, {"stored.dat", big, false}, {"empty.dat", "", true}});
  MemoryZipReader archive(zip);
  ASSERT_TRUE(archive.locate("big.dat"));
  EXPECT_EQ(read_archive_member(archive), big);
  ASSERT_TRUE(archive.locate("stored.dat"));
  EXPECT_EQ(read_archive_member(archive), big);
  ASSERT_TRUE(archive.locate("empty.dat"));
  EXPECT_EQ(read_archive_member(archive), "");
}

TEST(MemoryZip, NoArchiveMeansNothingToOpen) {
  for (const std::string& bytes : {std::string(), std::string("PK"), std::string(5000, 'x')}) {
    MemoryZipReader archive(bytes);
    EXPECT_FALSE(archive.is_open());
    EXPECT_FALSE(archive.locate("tv.dat"));
  }
  const std::string sample = to_std(read_all(fixture("catalogue/sample.zip")));
  MemoryZipReader cut(std::string_view(sample).substr(0, sample.size() - 30));
  EXPECT_FALSE(cut.is_open());  // the end of the directory is gone
}

namespace {
std::string member_error(const std::string& zip, const std::string& name) {
  MemoryZipReader archive(zip);
  if (!archive.locate(name)) return "not found";
  try {
    read_archive_member(archive);
  } catch (const CatalogueError& e) {
    return e.what();
  }
  return {};
}

size_t find_or_die(const std::string& haystack, const std::string& needle) {
  const size_t at = haystack.find(needle);
  if (at == std::string::npos) throw std::logic_error("test data not found");
  return at;
}
}  // namespace

TEST(MemoryZip, DamagedMembersFailNamingTheMember) {
  const std::string text = "101|name|url|1|1||1|1||0|0|0|0|0|0|0\r\n";
  // Stored: a changed byte keeps the sizes right and breaks only the CRC.
  std::string crc = make_zip({{"tv.dat", text, false}});
  crc[find_or_die(crc, "url")] = 'U';
  EXPECT_NE(member_error(crc, "tv.dat").find("\"tv.dat\""), std::string::npos);
  EXPECT_NE(member_error(crc, "tv.dat").find("CRC"), std::string::npos);

  // Deflated: garbage in place of the compressed stream.
  std::string deflated = make_zip({{"radio.dat", std::string(4000, 'r'), true}});
  const size_t data = find_or_die(deflated, "radio.dat") + 9;
  for (size_t i = data; i < data + 12; ++i) deflated[i] = static_cast<char>(0xFF);
  const std::string message = member_error(deflated, "radio.dat");
  EXPECT_NE(message.find("\"radio.dat\""), std::string::npos) << message;

  // A directory entry that claims far more than deflate can produce from the data.
  std::string lying = make_zip({{"video.dat", std::string(100, 'v'), true}});
  const size_t central = lying.rfind("PK\x01\x02");
  ASSERT_NE(central, std::string::npos);
  lying[central + 24] = 0;  // uncompressed size: 100 -> about 2 GB
  lying[central + 25] = 0;
  lying[central + 26] = 0;
  lying[central + 27] = static_cast<char>(0x7F);
  EXPECT_NE(member_error(lying, "video.dat").find("\"video.dat\""), std::string::npos);
}

namespace {
void put_le32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}
uint32_t le32_at(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// Offsets of a field in the single member's local header and in its directory entry.
struct HeaderField {
  size_t local;
  size_t central;
};
constexpr HeaderField kCrc{14, 16};
constexpr HeaderField kUncompressedSize{22, 24};

// The one member's field changed alike in both headers, so that only the data can disagree.
std::string with_field(std::string zip, HeaderField field, uint32_t value) {
  const size_t central = zip.rfind("PK\x01\x02");
  if (zip.rfind("PK\x03\x04", 0) != 0 || central == std::string::npos) throw std::logic_error("not a one-member zip");
  put_le32(zip, field.local, value);
  put_le32(zip, central + field.central, value);
  return zip;
}
}  // namespace

// Deflated data is inflated and checked as strictly as stored data: a CRC that does not match what
// came out, data that ends before the stated size, and a damaged stream each fail, naming the member.
TEST(MemoryZip, DeflatedMembersAreCheckedToTheirEnd) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += std::to_string(i) + "|bmFtZQ==|http://host/" + std::to_string(i * 7) + "\r\n";
  const std::string zip = make_zip({{"tv.dat", text, true}});
  ASSERT_EQ(member_error(zip, "tv.dat"), "");

  std::string garbled = zip;
  const size_t data = find_or_die(garbled, "tv.dat") + 6;
  for (size_t i = data + 40; i < data + 60; ++i) garbled[i] = static_cast<char>(garbled[i] ^ 0x5A);

  const struct {
    const char* what;
    std::string zip;
    const char* says;
  } cases[] = {
      {"wrong CRC", with_field(zip, kCrc, le32_at(zip, kCrc.local) ^ 1), "CRC"},
      {"stated size longer than the data", with_field(zip, kUncompressedSize, static_cast<uint32_t>(text.size() + 5)),
       "shorter"},
      {"damaged stream", garbled, ""},
  };
  for (const auto& c : cases) {
    const std::string message = member_error(c.zip, "tv.dat");
    EXPECT_NE(message.find("\"tv.dat\""), std::string::npos) << c.what << ": " << message;
    EXPECT_NE(message.find(c.says), std::string::npos) << c.what << ": " << message;
  }
}
