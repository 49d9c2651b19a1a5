#include "feedback_query.h"

#include <gtest/gtest.h>

namespace {
TEST(FeedbackQuery, DecodesEveryKindOfRequest) {
  auto rating = parse_feedback("/service/rate.php", "rating=5&id=1234");
  ASSERT_TRUE(rating.feedback) << rating.error;
  const auto& r = std::get<RatingFeedback>(*rating.feedback);
  EXPECT_EQ(r.channel_id, 1234);
  EXPECT_EQ(r.rating, 5);

  auto flag = parse_feedback("/service/flag.php", "flag=duplicate&id=-7");
  ASSERT_TRUE(flag.feedback) << flag.error;
  EXPECT_EQ(std::get<FlagFeedback>(*flag.feedback).channel_id, -7);
  EXPECT_EQ(std::get<FlagFeedback>(*flag.feedback).flag, FlagWord::duplicate);

  auto bad = parse_feedback("/service/bad.php", "channel_id=2147483647");
  ASSERT_TRUE(bad.feedback) << bad.error;
  EXPECT_EQ(std::get<BadChannelFeedback>(*bad.feedback).channel_id, 2147483647);
}

TEST(FeedbackQuery, DecodesSubmissionWithEscapesAndEmptyValues) {
  // As the player sends it: "&" right after "?", spaces as %20, an escaped "&" and "#" in the name.
  const auto parsed = parse_feedback(
      "/service/new2.php",
      "&group=2&name=My%20Radio%20%26%20Co%20%231&url=http://example.org/a%20b?x=1%26y=2&bitrate=128&type=-1"
      "&homepage=&country=44&genre=7&comment=C++%20fans");
  ASSERT_TRUE(parsed.feedback) << parsed.error;
  const auto& s = std::get<ChannelSubmission>(*parsed.feedback);
  EXPECT_EQ(s.group_id, 2);
  EXPECT_EQ(s.name, "My Radio & Co #1");
  EXPECT_EQ(s.url, "http://example.org/a b?x=1&y=2");
  EXPECT_EQ(s.bitrate, 128);
  EXPECT_EQ(s.type_id, -1);
  EXPECT_EQ(s.homepage, "");
  EXPECT_EQ(s.country_id, 44);
  EXPECT_EQ(s.genre_id, 7);
  EXPECT_EQ(s.comment, "C++ fans");  // "+" is no space in these queries
}

TEST(FeedbackQuery, TextIsStoredAsUtf8WhateverTheClientSent) {
  const std::string utf8_query = "&group=1&name=Caf%C3%A9&url=u&bitrate=0&type=0&homepage=&country=0&genre=0&comment=";
  const std::string cp1252_query = "&group=1&name=Caf%E9&url=u&bitrate=0&type=0&homepage=&country=0&genre=0&comment=";
  for (const auto& query : {utf8_query, cp1252_query}) {
    const auto parsed = parse_feedback("/service/new2.php", query);
    ASSERT_TRUE(parsed.feedback) << parsed.error;
    EXPECT_EQ(std::get<ChannelSubmission>(*parsed.feedback).name, "Caf\xC3\xA9") << query;
  }
}

TEST(FeedbackQuery, IgnoresUnknownParametersAndOrder) {
  const auto parsed = parse_feedback("/service/rate.php", "id=9&x=y&rating=1&&");
  ASSERT_TRUE(parsed.feedback) << parsed.error;
  EXPECT_EQ(std::get<RatingFeedback>(*parsed.feedback).rating, 1);
}

TEST(FeedbackQuery, RefusesMalformedRequests) {
  const std::string good_submission_tail = "&bitrate=1&type=1&homepage=&country=1&genre=1&comment=";
  const struct {
    const char* path;
    std::string query;
  } cases[] = {
      {"/service/rate.php", ""},
      {"/service/rate.php", "rating=5"},
      {"/service/rate.php", "id=1"},
      {"/service/rate.php", "rating=0&id=1"},
      {"/service/rate.php", "rating=6&id=1"},
      {"/service/rate.php", "rating=five&id=1"},
      {"/service/rate.php", "rating=5&id=12x"},
      {"/service/rate.php", "rating=5&id=+12"},
      {"/service/rate.php", "rating=5&id=%2012"},
      {"/service/rate.php", "rating=5&id="},
      {"/service/rate.php", "rating=5&id=2147483648"},
      {"/service/rate.php", "rating=5&id=1&id=2"},
      {"/service/rate.php", "rating=5&id=1%"},
      {"/service/rate.php", "rating=5&id=1%4"},
      {"/service/rate.php", "rating=5&id=1%G1"},
      {"/service/flag.php", "flag=great&id=1"},
      {"/service/flag.php", "flag=OK&id=1"},
      {"/service/flag.php", "flag=ok"},
      {"/service/bad.php", "id=1"},
      {"/service/bad.php", "channel_id=-"},
      {"/service/new2.php", "&group=4&name=n&url=u" + good_submission_tail},
      {"/service/new2.php", "&group=1&name=&url=u" + good_submission_tail},
      {"/service/new2.php", "&group=1&name=n&url=" + good_submission_tail},
      {"/service/new2.php", "&group=1&name=n%0Aevil&url=u" + good_submission_tail},
      {"/service/new2.php", "&group=1&name=n%00&url=u" + good_submission_tail},
      {"/service/new2.php", "&group=1&name=n&url=u" + std::string("&bitrate=1&type=1&homepage=&country=1&genre=1")},
      {"/service/new2.php", "&group=1&name=" + std::string(5000, 'a') + "&url=u" + good_submission_tail},
      {"/service/other.php", "id=1"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse_feedback(c.path, c.query);
    EXPECT_FALSE(parsed.feedback) << c.path << "?" << c.query;
    EXPECT_FALSE(parsed.error.empty()) << c.path << "?" << c.query;
  }
}

TEST(FeedbackQuery, SplitsQueries) {
  const auto split = split_query("&a=1&&b&c=x%3Dy=z&=v");
  ASSERT_TRUE(split);
  const QueryParameters expected = {{"a", "1"}, {"b", ""}, {"c", "x=y=z"}, {"", "v"}};
  EXPECT_EQ(*split, expected);
  EXPECT_TRUE(split_query("")->empty());
  EXPECT_FALSE(split_query("a=%"));
}
}  // namespace

namespace {
// Queries stitched from the pieces that matter to the decoder, many thousands of them: every one
// is either decoded or refused with a reason, and decoded values always respect their limits.
TEST(FeedbackQuery, EveryQueryIsDecodedOrRefused) {
  const char* const pieces[] = {"&",  "=",      "%",     "%2",    "%20", "%zz", "%00",   "%E9", "%C3%A9", "rating",
                                "id", "flag",   "group", "name",  "url", "1",   "-",     "5",   "spam",   "2147483648",
                                "",   "comment", "bitrate", "type", "homepage", "country", "genre", "channel_id", "+", "\xff"};
  const char* const paths[] = {"/service/rate.php", "/service/flag.php", "/service/bad.php", "/service/new2.php"};
  uint32_t state = 12345;
  const auto next = [&state] { return state = state * 1664525u + 1013904223u; };
  for (int i = 0; i < 20000; ++i) {
    std::string query;
    const int count = static_cast<int>(next() % 40);
    for (int k = 0; k < count; ++k) query += pieces[(next() >> 8) % std::size(pieces)];
    const auto parsed = parse_feedback(paths[(next() >> 8) % 4], query);
    ASSERT_NE(parsed.feedback.has_value(), !parsed.error.empty()) << query;
    if (!parsed.feedback) continue;
    if (const auto* r = std::get_if<RatingFeedback>(&*parsed.feedback)) {
      ASSERT_TRUE(r->rating >= 1 && r->rating <= 5) << query;
    }
  }
}
}  // namespace
