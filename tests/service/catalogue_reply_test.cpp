#include "catalogue_reply.h"

#include <gtest/gtest.h>

namespace {
TEST(CatalogueReply, HeaderIsCodeAndWholeLengthLittleEndian) {
  const std::string reply = encode_reply(kReplyCatalogue, std::string(300, 'x'));
  ASSERT_EQ(reply.size(), 306u);
  EXPECT_EQ(reply.substr(0, 6), std::string("\x02\x01\x32\x01\x00\x00", 6));
  EXPECT_EQ(encode_reply(kReplyMessage, "ab"), std::string("\x03\x01\x08\x00\x00\x00" "ab", 8));
}

TEST(CatalogueReply, SendsCatalogueOnlyToClientsWithoutTheCurrentStamp) {
  const std::string current = "201301311530";
  const struct {
    std::optional<std::string> client;
    bool needs;
  } cases[] = {
      {std::nullopt, true},
      {"", true},
      {"201301311529", true},
      {"201212312359", true},
      {"201301311530", false},
      {"201301311531", false},  // a newer stamp than the service knows: nothing better to give
      {"garbage", true},
      {"2013013115300", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(client_needs_catalogue(c.client, current), c.needs) << c.client.value_or("(none)");
  // A catalogue without a usable stamp goes to everyone who does not hold exactly that stamp.
  EXPECT_TRUE(client_needs_catalogue("201301311530", ""));
}

TEST(CatalogueReply, ReadsTheDateParameter) {
  EXPECT_EQ(requested_stamp("key='&date=201301311530"), "201301311530");
  EXPECT_EQ(requested_stamp("key='"), std::nullopt);
  EXPECT_EQ(requested_stamp("key=%"), std::nullopt);
}

TEST(CatalogueReply, DownloadReplies) {
  const std::string catalogue = "0123456789";
  EXPECT_EQ(catalogue_download_reply(catalogue, "201301311530", std::nullopt), encode_reply(258, catalogue));
  EXPECT_EQ(catalogue_download_reply(catalogue, "201301311530", "201301311530"), encode_reply(259, kUpToDateMessage));
  // Fewer than two payload bytes would make a body the client refuses as incomplete.
  EXPECT_EQ(catalogue_download_reply("x", "201301311530", std::nullopt), encode_reply(259, kNoCatalogueMessage));
  EXPECT_EQ(catalogue_download_reply("", "", std::nullopt), encode_reply(259, kNoCatalogueMessage));
}
}  // namespace
