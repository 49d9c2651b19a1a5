#include "sqlite_feedback_store.h"

#include <sqlite3.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <type_traits>

namespace {
// Each step brings the tables from the version before it to its own; the first creates them. The
// first step must also accept files written before the version was kept (user_version 0, tables
// present), hence IF NOT EXISTS.
constexpr const char* kMigrations[] = {
    R"sql(
CREATE TABLE IF NOT EXISTS ratings (
  number INTEGER PRIMARY KEY,
  received TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%SZ', 'now')),
  channel_id INTEGER NOT NULL,
  rating INTEGER NOT NULL CHECK (rating BETWEEN 1 AND 5));
CREATE TABLE IF NOT EXISTS flags (
  number INTEGER PRIMARY KEY,
  received TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%SZ', 'now')),
  channel_id INTEGER NOT NULL,
  flag TEXT NOT NULL CHECK (flag IN ('ok', 'bad', 'wrong', 'duplicate', 'spam')));
CREATE TABLE IF NOT EXISTS bad_reports (
  number INTEGER PRIMARY KEY,
  received TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%SZ', 'now')),
  channel_id INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS submissions (
  number INTEGER PRIMARY KEY,
  received TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%SZ', 'now')),
  group_id INTEGER NOT NULL,
  name TEXT NOT NULL,
  url TEXT NOT NULL,
  bitrate INTEGER NOT NULL,
  type_id INTEGER NOT NULL,
  homepage TEXT NOT NULL,
  country_id INTEGER NOT NULL,
  genre_id INTEGER NOT NULL,
  comment TEXT NOT NULL);
)sql",
};
static_assert(std::size(kMigrations) == kFeedbackSchemaVersion);

// One prepared statement, finalised when it goes out of scope.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
      throw FeedbackStoreError(std::string("feedback database: ") + sqlite3_errmsg(db));
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int index, int64_t value) {
    check(sqlite3_bind_int64(stmt_, index, value));
    return *this;
  }
  Statement& bind(int index, std::string_view text) {
    check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  // True while a row is available.
  bool step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw FeedbackStoreError(std::string("feedback database: ") + sqlite3_errmsg(db_));
  }
  int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
  }

 private:
  void check(int rc) const {
    if (rc != SQLITE_OK) throw FeedbackStoreError(std::string("feedback database: ") + sqlite3_errmsg(db_));
  }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

void execute(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    throw FeedbackStoreError("feedback database: " + message);
  }
}

// Runs `work` inside a transaction begun with `begin`; rolled back when it throws.
template <typename Work>
auto in_transaction(sqlite3* db, const char* begin, Work&& work) {
  execute(db, begin);
  try {
    if constexpr (std::is_void_v<decltype(work())>) {
      work();
      execute(db, "COMMIT");
    } else {
      auto result = work();
      execute(db, "COMMIT");
      return result;
    }
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

int64_t schema_version(sqlite3* db) {
  Statement s(db, "PRAGMA user_version");
  return s.step() ? s.integer(0) : 0;
}

void refuse_newer(int64_t version) {
  if (version > kFeedbackSchemaVersion)
    throw FeedbackStoreError("feedback database: its tables are version " + std::to_string(version) +
                             ", written by a newer quovi-service; this one knows up to version " +
                             std::to_string(kFeedbackSchemaVersion));
}

// Switching a new file to write-ahead logging needs it to itself. Where waiting for that could
// deadlock, SQLite answers "database is locked" at once instead of waiting out the busy timeout, as
// it does for two services starting on one new file; so the switch is tried again for as long.
void use_write_ahead_log(sqlite3* db, std::chrono::milliseconds patience) {
  const auto give_up = std::chrono::steady_clock::now() + patience;
  for (;;) {
    try {
      execute(db, "PRAGMA journal_mode=WAL");
      return;
    } catch (const FeedbackStoreError&) {
      if ((sqlite3_errcode(db) & 0xff) != SQLITE_BUSY || std::chrono::steady_clock::now() >= give_up) throw;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Several services may start on one file at once: the write lock taken first keeps their
// migrations apart, and each finds the version the one before it left.
void migrate(sqlite3* db) {
  in_transaction(db, "BEGIN IMMEDIATE", [db] {
    const int64_t version = schema_version(db);
    refuse_newer(version);
    for (int64_t step = version; step < kFeedbackSchemaVersion; ++step) execute(db, kMigrations[step]);
    execute(db, ("PRAGMA user_version = " + std::to_string(kFeedbackSchemaVersion)).c_str());
  });
}

void insert(sqlite3* db, const RatingFeedback& r) {
  Statement(db, "INSERT INTO ratings (channel_id, rating) VALUES (?, ?)").bind(1, r.channel_id).bind(2, r.rating).step();
}

void insert(sqlite3* db, const FlagFeedback& f) {
  Statement(db, "INSERT INTO flags (channel_id, flag) VALUES (?, ?)")
      .bind(1, f.channel_id)
      .bind(2, flag_word_text(f.flag))
      .step();
}

void insert(sqlite3* db, const BadChannelFeedback& b) {
  Statement(db, "INSERT INTO bad_reports (channel_id) VALUES (?)").bind(1, b.channel_id).step();
}

void insert(sqlite3* db, const ChannelSubmission& s) {
  Statement(db,
            "INSERT INTO submissions (group_id, name, url, bitrate, type_id, homepage, country_id, genre_id, "
            "comment) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
      .bind(1, s.group_id)
      .bind(2, s.name)
      .bind(3, s.url)
      .bind(4, s.bitrate)
      .bind(5, s.type_id)
      .bind(6, s.homepage)
      .bind(7, s.country_id)
      .bind(8, s.genre_id)
      .bind(9, s.comment)
      .step();
}

// One connection, every call serialised on it.
class SqliteFeedbackStore final : public FeedbackStore {
 public:
  SqliteFeedbackStore(const std::string& path, Mode mode) {
    const int flags = mode == Mode::create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
      const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw FeedbackStoreError(opening_error(path, message));
    }
    constexpr std::chrono::milliseconds kBusyPatience{5000};
    sqlite3_busy_timeout(db_, static_cast<int>(kBusyPatience.count()));
    try {
      if (mode == Mode::create) {
        // Write-ahead logging lets the catalogue build read while the service records.
        use_write_ahead_log(db_, kBusyPatience);
        migrate(db_);
      } else {
        refuse_newer(schema_version(db_));
        // Fails early, with a clear message, on a file that is no feedback database.
        Statement(db_, "SELECT count(*) FROM ratings, flags, bad_reports, submissions WHERE 0").step();
      }
    } catch (const FeedbackStoreError& e) {
      sqlite3_close(db_);
      throw FeedbackStoreError(opening_error(path, e.what()));
    } catch (...) {
      sqlite3_close(db_);
      throw;
    }
  }
  ~SqliteFeedbackStore() override { sqlite3_close(db_); }
  SqliteFeedbackStore(const SqliteFeedbackStore&) = delete;
  SqliteFeedbackStore& operator=(const SqliteFeedbackStore&) = delete;

  void record(const Feedback& feedback) override {
    std::lock_guard lock(mutex_);
    std::visit([this](const auto& f) { insert(db_, f); }, feedback);
  }

  std::map<int32_t, ChannelFeedback> channel_totals() const override {
    std::lock_guard lock(mutex_);
    // One read transaction, so that the three sums see the same moment.
    return in_transaction(db_, "BEGIN", [this] {
      std::map<int32_t, ChannelFeedback> totals;
      {
        Statement s(db_, "SELECT channel_id, sum(rating), count(*) FROM ratings GROUP BY channel_id");
        while (s.step()) {
          auto& t = totals[static_cast<int32_t>(s.integer(0))];
          t.rating_sum = s.integer(1);
          t.rating_count = s.integer(2);
        }
      }
      {
        Statement s(db_, "SELECT channel_id, flag, count(*) FROM flags GROUP BY channel_id, flag");
        while (s.step()) {
          auto& t = totals[static_cast<int32_t>(s.integer(0))];
          const auto flag = flag_word_from_text(s.text(1));
          if (!flag) continue;
          int64_t* counts[] = {&t.workfine, &t.notworking, &t.wrong, &t.duplicate, &t.spam};
          *counts[static_cast<size_t>(*flag)] = s.integer(2);
        }
      }
      {
        Statement s(db_, "SELECT channel_id, count(*) FROM bad_reports GROUP BY channel_id");
        while (s.step()) totals[static_cast<int32_t>(s.integer(0))].broken_reports = s.integer(1);
      }
      return totals;
    });
  }

  std::vector<StoredSubmission> submissions() const override {
    std::lock_guard lock(mutex_);
    std::vector<StoredSubmission> out;
    Statement s(db_,
                "SELECT number, received, group_id, name, url, bitrate, type_id, homepage, country_id, genre_id, "
                "comment FROM submissions ORDER BY number");
    while (s.step()) {
      StoredSubmission row;
      row.number = s.integer(0);
      row.received = s.text(1);
      auto& c = row.channel;
      c.group_id = static_cast<int32_t>(s.integer(2));
      c.name = s.text(3);
      c.url = s.text(4);
      c.bitrate = static_cast<int32_t>(s.integer(5));
      c.type_id = static_cast<int32_t>(s.integer(6));
      c.homepage = s.text(7);
      c.country_id = static_cast<int32_t>(s.integer(8));
      c.genre_id = static_cast<int32_t>(s.integer(9));
      c.comment = s.text(10);
      out.push_back(std::move(row));
    }
    return out;
  }

  std::vector<RatingFeedback> ratings() const override {
    std::lock_guard lock(mutex_);
    std::vector<RatingFeedback> out;
    Statement s(db_, "SELECT channel_id, rating FROM ratings ORDER BY number");
    while (s.step()) out.push_back({static_cast<int32_t>(s.integer(0)), static_cast<int32_t>(s.integer(1))});
    return out;
  }

  std::vector<FlagFeedback> flags() const override {
    std::lock_guard lock(mutex_);
    std::vector<FlagFeedback> out;
    Statement s(db_, "SELECT channel_id, flag FROM flags ORDER BY number");
    while (s.step())
      out.push_back({static_cast<int32_t>(s.integer(0)), flag_word_from_text(s.text(1)).value_or(FlagWord::ok)});
    return out;
  }

  std::vector<BadChannelFeedback> bad_reports() const override {
    std::lock_guard lock(mutex_);
    std::vector<BadChannelFeedback> out;
    Statement s(db_, "SELECT channel_id FROM bad_reports ORDER BY number");
    while (s.step()) out.push_back({static_cast<int32_t>(s.integer(0))});
    return out;
  }

 private:
  sqlite3* db_ = nullptr;
  mutable std::mutex mutex_;
};
}  // namespace

std::unique_ptr<FeedbackStore> open_sqlite_feedback_store(const std::string& path, FeedbackStore::Mode mode) {
  return std::make_unique<SqliteFeedbackStore>(path, mode);
}
