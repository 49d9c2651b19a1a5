#include "services/service_urls.h"

#include "services/service_addresses.h"
#include "version.h"

#include <gtest/gtest.h>

namespace {
const QString kBase = QStringLiteral("http://svc.example:8080");

TEST(CatalogueRequestUrl, WithAndWithoutTheVersionStamp) {
  EXPECT_EQ(catalogue_request_url(kBase, ""), "http://svc.example:8080/service/get.php?key='");
  EXPECT_EQ(catalogue_request_url(kBase, "202612011200"),
            "http://svc.example:8080/service/get.php?key='&date=202612011200");
  EXPECT_EQ(update_page_url(kBase), "http://svc.example:8080/update.html");
}

TEST(FeedbackUrls, RatingFlagAndReport) {
  EXPECT_EQ(rating_url(kBase, "5", 1234), "http://svc.example:8080/service/rate.php?rating=5&id=1234");
  EXPECT_EQ(flag_url(kBase, "bad", 1234), "http://svc.example:8080/service/flag.php?flag=bad&id=1234");
  EXPECT_EQ(bad_channel_url(kBase, -7), "http://svc.example:8080/service/bad.php?channel_id=-7");
}

TEST(FeedbackUrls, SubmissionCarriesAllNineValuesEncoded) {
  Channel channel;
  channel.group_id = 2;
  channel.name = ShortText::from_text(QString::fromUtf8("My Radio & Café #1"));
  channel.url = "http://radio.example/live stream?x=1&y=2";
  channel.bitrate = 128;
  channel.type_id = 0;
  channel.homepage = "http://radio.example/home page";
  channel.country_id = 44;
  channel.genre_id = -1;
  EXPECT_EQ(submission_url(kBase, channel),
            "http://svc.example:8080/service/new2.php?&group=2&name=My%20Radio%20%26%20Caf%C3%A9%20%231"
            "&url=http%3A%2F%2Fradio.example%2Flive%20stream%3Fx%3D1%26y%3D2&bitrate=128&type=0"
            "&homepage=http%3A%2F%2Fradio.example%2Fhome%20page&country=44&genre=-1&comment=");
}

TEST(QueryValues, PercentEncodingKeepsOnlyUnreservedCharacters) {
  EXPECT_EQ(encode_query_value("My Radio"), "My%20Radio");
  EXPECT_EQ(encode_query_value("a-b_c.d~e"), "a-b_c.d~e");
  EXPECT_EQ(encode_query_value("x+y=z;'\"<>%"), "x%2By%3Dz%3B%27%22%3C%3E%25");
  EXPECT_EQ(encode_query_value("\n\t"), "%0A%09");
}

TEST(ServiceAddresses, DefaultsUntilTheSettingsSayOtherwise) {
  EXPECT_EQ(catalogue_service_base(), QStringLiteral(QUOVI_DEFAULT_CATALOGUE_SERVICE));
  EXPECT_EQ(feedback_service_base(), QStringLiteral(QUOVI_DEFAULT_FEEDBACK_SERVICE));

  write_service_base("catalogue", "http://127.0.0.1:9001/");
  write_service_base("feedback", "https://feedback.example");
  EXPECT_EQ(catalogue_service_base(), "http://127.0.0.1:9001");
  EXPECT_EQ(feedback_service_base(), "https://feedback.example");
  EXPECT_TRUE(services_settings_path().endsWith("/config/Talvex/Quovi.conf"));
}

TEST(ServiceAddresses, UnusableValuesFallBackToTheDefault) {
  for (const char* bad : {"", "not an address", "ftp://host", "http://host/path", "http://host?q=1", "http://"}) {
    write_service_base("catalogue", QString::fromUtf8(bad));
    EXPECT_EQ(catalogue_service_base(), QStringLiteral(QUOVI_DEFAULT_CATALOGUE_SERVICE)) << bad;
  }
}
}  // namespace
