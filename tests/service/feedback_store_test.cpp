// The feedback store's contract, run against both stores: the same rows in, the same rows and
// totals out, and the same refusals.
#include "feedback_store.h"
#include "store_kinds.h"
#include "test_env.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QDateTime>
#include <gtest/gtest.h>

#include <climits>
#include <thread>

namespace {
ChannelSubmission submission(std::string name) {
  ChannelSubmission s;
  s.group_id = 2;
  s.name = std::move(name);
  s.url = "http://example.org/stream";
  s.bitrate = 128;
  s.type_id = 1;
  s.homepage = "http://example.org/";
  s.country_id = 3;
  s.genre_id = 4;
  s.comment = "Caf\xC3\xA9 | jazz";
  return s;
}

// Marks the tables as written by another version, behind the store's back.
void set_schema_version(StoreKind kind, const std::string& location, int version) {
  if (kind == StoreKind::sqlite) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(location.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, ("PRAGMA user_version = " + std::to_string(version)).c_str(), nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    return;
  }
  PGconn* conn = PQconnectdb(location.c_str());
  PGresult* result = PQexec(conn, ("UPDATE feedback_schema SET version = " + std::to_string(version)).c_str());
  EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(conn);
  PQclear(result);
  PQfinish(conn);
}

class FeedbackStoreContract : public testing::TestWithParam<StoreKind> {
 protected:
  void SetUp() override {
    location_ = fresh_store_location(GetParam());
    if (location_.empty()) GTEST_SKIP() << why_no_postgresql();
  }
  std::unique_ptr<FeedbackStore> open(FeedbackStore::Mode mode = FeedbackStore::Mode::create) {
    return open_feedback_store(location_, mode);
  }
  std::string location_;
};

TEST_P(FeedbackStoreContract, SumsEachChannelsFeedback) {
  const auto store = open();
  for (const Feedback& f : std::vector<Feedback>{
           RatingFeedback{10, 5}, RatingFeedback{10, 2}, RatingFeedback{11, 4}, FlagFeedback{10, FlagWord::bad},
           FlagFeedback{10, FlagWord::bad}, FlagFeedback{10, FlagWord::spam}, FlagFeedback{12, FlagWord::ok},
           FlagFeedback{12, FlagWord::wrong}, FlagFeedback{12, FlagWord::duplicate}, BadChannelFeedback{10},
           BadChannelFeedback{13}, RatingFeedback{INT32_MIN, 1}, BadChannelFeedback{INT32_MAX}})
    store->record(f);

  const auto totals = store->channel_totals();
  ASSERT_EQ(totals.size(), 6u);
  EXPECT_EQ(totals.at(10), (ChannelFeedback{7, 2, 0, 2, 0, 0, 1, 1}));
  EXPECT_EQ(totals.at(11), (ChannelFeedback{4, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(totals.at(12), (ChannelFeedback{0, 0, 1, 0, 1, 1, 0, 0}));
  EXPECT_EQ(totals.at(13), (ChannelFeedback{0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(totals.at(INT32_MIN), (ChannelFeedback{1, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(totals.at(INT32_MAX), (ChannelFeedback{0, 0, 0, 0, 0, 0, 0, 1}));
}

TEST_P(FeedbackStoreContract, KeepsRowsAcrossReopeningInOrderOfArrival) {
  ChannelSubmission odd = submission("'); DROP TABLE submissions; -- $1 ? %s \\ \"quoted\"");
  odd.comment = "\xF0\x9F\x93\xBB " + std::string(4000, 'x');
  odd.homepage = "";
  odd.bitrate = INT32_MAX;
  odd.country_id = INT32_MIN;
  {
    const auto store = open();
    store->record(submission("First"));
    store->record(odd);
    store->record(RatingFeedback{-5, 3});
    store->record(RatingFeedback{7, 1});
    store->record(FlagFeedback{9, FlagWord::duplicate});
    store->record(FlagFeedback{8, FlagWord::ok});
    store->record(BadChannelFeedback{4});
  }
  const auto store = open(FeedbackStore::Mode::existing);
  const auto rows = store->submissions();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_LT(rows[0].number, rows[1].number);
  EXPECT_EQ(rows[0].channel.name, "First");
  EXPECT_EQ(rows[0].channel.comment, "Caf\xC3\xA9 | jazz");
  EXPECT_EQ(rows[0].channel.homepage, "http://example.org/");
  const auto& c = rows[1].channel;
  EXPECT_EQ(c.name, odd.name);
  EXPECT_EQ(c.comment, odd.comment);
  EXPECT_EQ(c.homepage, "");
  EXPECT_EQ(c.bitrate, INT32_MAX);
  EXPECT_EQ(c.country_id, INT32_MIN);
  EXPECT_EQ(c.group_id, 2);
  EXPECT_EQ(c.type_id, 1);
  EXPECT_EQ(c.genre_id, 4);
  EXPECT_EQ(c.url, "http://example.org/stream");
  // UTC, YYYY-MM-DDThh:mm:ssZ
  EXPECT_TRUE(QDateTime::fromString(QString::fromStdString(rows[1].received), Qt::ISODate).isValid()) << rows[1].received;
  EXPECT_EQ(rows[1].received.size(), 20u) << rows[1].received;
  EXPECT_EQ(rows[1].received.back(), 'Z');

  const auto ratings = store->ratings();
  ASSERT_EQ(ratings.size(), 2u);
  EXPECT_EQ(ratings[0].channel_id, -5);
  EXPECT_EQ(ratings[0].rating, 3);
  EXPECT_EQ(ratings[1].channel_id, 7);
  const auto flags = store->flags();
  ASSERT_EQ(flags.size(), 2u);
  EXPECT_EQ(flags[0].flag, FlagWord::duplicate);
  EXPECT_EQ(flags[1].channel_id, 8);
  ASSERT_EQ(store->bad_reports().size(), 1u);
  EXPECT_EQ(store->bad_reports()[0].channel_id, 4);
}

TEST_P(FeedbackStoreContract, RefusesADatabaseWithoutItsTablesWithAClearError) {
  try {
    open(FeedbackStore::Mode::existing);
    FAIL() << "opened a database without the feedback tables";
  } catch (const FeedbackStoreError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("cannot open the feedback database", 0), 0u) << e.what();
  }
  open();
  EXPECT_NO_THROW(open(FeedbackStore::Mode::existing));
}

TEST_P(FeedbackStoreContract, RefusesTablesANewerServiceWrote) {
  open()->record(RatingFeedback{1, 5});
  set_schema_version(GetParam(), location_, kFeedbackSchemaVersion + 1);
  for (const auto mode : {FeedbackStore::Mode::create, FeedbackStore::Mode::existing}) {
    try {
      open(mode);
      ADD_FAILURE() << "opened tables of a newer version";
    } catch (const FeedbackStoreError& e) {
      EXPECT_NE(std::string(e.what()).find("newer quovi-service"), std::string::npos) << e.what();
    }
  }
  set_schema_version(GetParam(), location_, kFeedbackSchemaVersion);
  EXPECT_EQ(open(FeedbackStore::Mode::existing)->ratings().size(), 1u);
}

// Several services start on one empty database at once and record from many threads: each
// creates or finds the tables, and every row arrives once.
TEST_P(FeedbackStoreContract, ServicesSharingOneDatabaseLoseAndDoubleNothing) {
  constexpr int kServices = 3, kThreads = 4, kEach = 40;
  std::vector<std::unique_ptr<FeedbackStore>> stores(kServices);
  {
    std::vector<std::thread> starting;
    std::vector<std::string> errors(kServices);
    for (int s = 0; s < kServices; ++s)
      starting.emplace_back([&, s] {
        try {
          stores[s] = open();
        } catch (const std::exception& e) {
          errors[s] = e.what();
        }
      });
    for (auto& t : starting) t.join();
    for (int s = 0; s < kServices; ++s) ASSERT_TRUE(stores[s]) << errors[s];
  }
  std::vector<std::thread> writers;
  std::atomic<int> failures = 0;
  for (int s = 0; s < kServices; ++s)
    for (int t = 0; t < kThreads; ++t)
      writers.emplace_back([&, s] {
        for (int i = 0; i < kEach; ++i) {
          try {
            switch (i % 4) {
              case 0: stores[s]->record(RatingFeedback{i % 5, 1 + i % 5}); break;
              case 1: stores[s]->record(FlagFeedback{i % 5, FlagWord::spam}); break;
              case 2: stores[s]->record(BadChannelFeedback{i % 5}); break;
              default: stores[s]->record(submission(std::to_string(i))); break;
            }
          } catch (const std::exception&) {
            ++failures;
          }
        }
      });
  for (auto& t : writers) t.join();
  EXPECT_EQ(failures, 0);

  const auto reader = open(FeedbackStore::Mode::existing);
  constexpr size_t kPerKind = kServices * kThreads * kEach / 4;
  EXPECT_EQ(reader->ratings().size(), kPerKind);
  EXPECT_EQ(reader->flags().size(), kPerKind);
  EXPECT_EQ(reader->bad_reports().size(), kPerKind);
  EXPECT_EQ(reader->submissions().size(), kPerKind);
  int64_t rated = 0, spam = 0, broken = 0;
  for (const auto& [id, t] : reader->channel_totals()) {
    rated += t.rating_count;
    spam += t.spam;
    broken += t.broken_reports;
  }
  EXPECT_EQ(rated, static_cast<int64_t>(kPerKind));
  EXPECT_EQ(spam, static_cast<int64_t>(kPerKind));
  EXPECT_EQ(broken, static_cast<int64_t>(kPerKind));
}

INSTANTIATE_TEST_SUITE_P(Stores, FeedbackStoreContract, kEveryStoreKind, store_kind_name);

TEST(SqliteFeedbackStore, RefusesAFileThatIsNoDatabaseAndLeavesIt) {
  const std::string path = (quovi_test::sandbox_root() + "/feedback.sqlite").toStdString();
  ASSERT_TRUE(quovi_test::write_all(QString::fromStdString(path), "this is no database at all"));
  for (auto mode : {FeedbackStore::Mode::create, FeedbackStore::Mode::existing}) {
    try {
      open_feedback_store(path, mode);
      FAIL() << "opened a file that is no database";
    } catch (const FeedbackStoreError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("cannot open the feedback database " + path, 0), 0u) << e.what();
    }
  }
  EXPECT_EQ(quovi_test::read_all(QString::fromStdString(path)), "this is no database at all");
}

// Files recorded before the tables had a version keep their rows and are read as the first one.
TEST(SqliteFeedbackStore, TakesOverAFileFromBeforeTheTablesHadAVersion) {
  const std::string path = (quovi_test::sandbox_root() + "/feedback.sqlite").toStdString();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  const char* earlier =
      "CREATE TABLE ratings (number INTEGER PRIMARY KEY, received TEXT NOT NULL DEFAULT "
      "(strftime('%Y-%m-%dT%H:%M:%SZ', 'now')), channel_id INTEGER NOT NULL, rating INTEGER NOT NULL CHECK (rating "
      "BETWEEN 1 AND 5));"
      "CREATE TABLE flags (number INTEGER PRIMARY KEY, received TEXT NOT NULL, channel_id INTEGER NOT NULL, flag "
      "TEXT NOT NULL);"
      "CREATE TABLE bad_reports (number INTEGER PRIMARY KEY, received TEXT NOT NULL, channel_id INTEGER NOT NULL);"
      "CREATE TABLE submissions (number INTEGER PRIMARY KEY, received TEXT NOT NULL, group_id INTEGER NOT NULL, "
      "name TEXT NOT NULL, url TEXT NOT NULL, bitrate INTEGER NOT NULL, type_id INTEGER NOT NULL, homepage TEXT NOT "
      "NULL, country_id INTEGER NOT NULL, genre_id INTEGER NOT NULL, comment TEXT NOT NULL);"
      "INSERT INTO ratings (channel_id, rating) VALUES (42, 4);";
  ASSERT_EQ(sqlite3_exec(db, earlier, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);

  EXPECT_EQ(open_feedback_store(path, FeedbackStore::Mode::existing)->ratings().size(), 1u);
  const auto store = open_feedback_store(path);
  store->record(RatingFeedback{42, 2});
  EXPECT_EQ(store->channel_totals().at(42), (ChannelFeedback{6, 2, 0, 0, 0, 0, 0, 0}));
}

TEST(PostgresqlFeedbackStore, ReportsAServerItCannotReachWithoutThePassword) {
  const std::string location = "postgresql://quovi:s3cret@/feedback?host=/nonexistent-quovi-folder&port=5999";
  try {
    open_feedback_store(location);
    FAIL() << "opened a database on no server";
  } catch (const FeedbackStoreError& e) {
    const std::string message = e.what();
    EXPECT_EQ(message.rfind("cannot open the feedback database postgresql://quovi:***@/feedback", 0), 0u) << message;
    EXPECT_EQ(message.find("s3cret"), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }
  EXPECT_EQ(printable_location("postgres://u:p@h:5/d?sslmode=require&password=x"),
            "postgres://u:***@h:5/d?sslmode=require&password=***");
  EXPECT_EQ(printable_location("postgresql://u@h/d"), "postgresql://u@h/d");
  EXPECT_EQ(printable_location("/var/lib/a:b@c.sqlite"), "/var/lib/a:b@c.sqlite");
}
}  // namespace
