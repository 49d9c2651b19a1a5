#include "service_options.h"

#include <gtest/gtest.h>

namespace {
TEST(ServiceOptions, DefaultPortIsTheProgramsServiceAddress) {
  EXPECT_EQ(default_service_options().port, 8741);
  EXPECT_EQ(default_service_options().address, "127.0.0.1");
  EXPECT_EQ(port_of_address("http://127.0.0.1:8741"), 8741);
  EXPECT_EQ(port_of_address("http://example.org/x"), 80);
  EXPECT_EQ(port_of_address("http://example.org:99999"), std::nullopt);
  EXPECT_EQ(port_of_address("ftp://example.org"), std::nullopt);
}

TEST(ServiceOptions, ReadsEveryOptionInBothSpellings) {
  const auto parsed = parse_service_options(
      {"--address", "0.0.0.0", "--port=0", "--catalogue", "c.dat", "--database=f.sqlite", "--media", "", "--workers",
       "3", "--queue=0", "--connections", "7", "--connections-per-client=0", "--read-timeout=2", "--fresh-stamp"},
      default_service_options());
  ASSERT_TRUE(parsed.options) << parsed.message;
  EXPECT_EQ(parsed.options->address, "0.0.0.0");
  EXPECT_EQ(parsed.options->port, 0);
  EXPECT_EQ(parsed.options->catalogue, "c.dat");
  EXPECT_EQ(parsed.options->database, "f.sqlite");
  EXPECT_EQ(parsed.options->media, "");
  EXPECT_EQ(parsed.options->workers, 3);
  EXPECT_EQ(parsed.options->queue, 0);
  EXPECT_EQ(parsed.options->connections, 7);
  EXPECT_EQ(parsed.options->connections_per_client, 0);
  EXPECT_EQ(default_service_options().connections_per_client, 32);
  EXPECT_EQ(parsed.options->read_timeout, 2);
  const auto shared = parse_service_options({"--database", "postgresql://quovi@db/quovi"}, default_service_options());
  ASSERT_TRUE(shared.options);
  EXPECT_EQ(shared.options->database, "postgresql://quovi@db/quovi");
  EXPECT_EQ(shared.warning, "");
  const auto in_file = parse_service_options({"--database-file", "/etc/quovi/database"}, default_service_options());
  ASSERT_TRUE(in_file.options);
  EXPECT_EQ(in_file.options->database_file, "/etc/quovi/database");
  EXPECT_TRUE(parsed.options->fresh_stamp);
  EXPECT_FALSE(default_service_options().fresh_stamp);
}

TEST(ServiceOptions, RefusesBadOptions) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--port", "65536"}, {"--port", "-1"}, {"--port", "http"}, {"--port"}, {"--bogus"}, {"--catalogue="},
           {"--workers", "0"}, {"--queue", "-1"}, {"--connections", "0"}, {"--connections-per-client", "-1"},
           {"--read-timeout", "0"}, {"--read-timeout", "1.5"}, {"--database-file="},
           {"--database", "a.sqlite", "--database-file", "f"}}) {
    const auto parsed = parse_service_options(args, default_service_options());
    EXPECT_FALSE(parsed.options);
    EXPECT_TRUE(parsed.error);
    EXPECT_FALSE(parsed.message.empty());
  }
  const auto help = parse_service_options({"--help"}, default_service_options());
  EXPECT_FALSE(help.options);
  EXPECT_FALSE(help.error);
  EXPECT_NE(help.message.find("--database"), std::string::npos);
}
}  // namespace
