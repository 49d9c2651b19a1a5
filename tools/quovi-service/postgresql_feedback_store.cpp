#include "postgresql_feedback_store.h"

#include <libpq-fe.h>

#include <charconv>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {
// Same tables, same checks and the same order of arrival as the SQLite store. Each step brings
// the tables from the version before it to its own.
constexpr const char* kMigrations[] = {
    R"sql(
CREATE TABLE ratings (
  number bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  received timestamptz NOT NULL DEFAULT now(),
  channel_id integer NOT NULL,
  rating smallint NOT NULL CHECK (rating BETWEEN 1 AND 5));
CREATE TABLE flags (
  number bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  received timestamptz NOT NULL DEFAULT now(),
  channel_id integer NOT NULL,
  flag text NOT NULL CHECK (flag IN ('ok', 'bad', 'wrong', 'duplicate', 'spam')));
CREATE TABLE bad_reports (
  number bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  received timestamptz NOT NULL DEFAULT now(),
  channel_id integer NOT NULL);
CREATE TABLE submissions (
  number bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  received timestamptz NOT NULL DEFAULT now(),
  group_id integer NOT NULL,
  name text NOT NULL,
  url text NOT NULL,
  bitrate integer NOT NULL,
  type_id integer NOT NULL,
  homepage text NOT NULL,
  country_id integer NOT NULL,
  genre_id integer NOT NULL,
  comment text NOT NULL);
)sql",
};
static_assert(std::size(kMigrations) == kFeedbackSchemaVersion);

// Any number, the same in every service sharing the database: whoever holds it migrates.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(7301185525)";

std::string one_line(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\t') c = ' ';
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

class Result {
 public:
  explicit Result(PGresult* result) : result_(result) {}
  ~Result() { PQclear(result_); }
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;

  int rows() const { return PQntuples(result_); }
  std::string text(int row, int column) const {
    return std::string(PQgetvalue(result_, row, column), static_cast<size_t>(PQgetlength(result_, row, column)));
  }
  int64_t integer(int row, int column) const {
    const char* p = PQgetvalue(result_, row, column);
    const char* end = p + PQgetlength(result_, row, column);
    int64_t value = 0;
    const auto [stop, error] = std::from_chars(p, end, value);
    if (error != std::errc() || stop != end)
      throw FeedbackStoreError("feedback database: \"" + text(row, column) + "\" is no whole number");
    return value;
  }
  int32_t int32(int row, int column) const { return static_cast<int32_t>(integer(row, column)); }

 private:
  PGresult* result_;
};

Result checked(PGconn* conn, PGresult* raw) {
  const auto status = PQresultStatus(raw);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    const std::string message = raw ? PQresultErrorMessage(raw) : PQerrorMessage(conn);
    PQclear(raw);
    throw FeedbackStoreError("feedback database: " + one_line(message));
  }
  return Result(raw);
}

// One statement; its parameters go as text apart from the SQL, so no value is ever read as SQL.
Result run(PGconn* conn, const char* sql, const std::vector<std::string>& parameters = {}) {
  std::vector<const char*> values;
  for (const auto& p : parameters) values.push_back(p.c_str());
  return checked(conn, PQexecParams(conn, sql, static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                                    nullptr, 0));
}

// Several statements without parameters, as one script.
void run_script(PGconn* conn, const char* sql) { checked(conn, PQexec(conn, sql)); }

// Runs `work` inside a transaction begun with `begin`; rolled back when it throws.
template <typename Work>
auto in_transaction(PGconn* conn, const char* begin, Work&& work) {
  run(conn, begin);
  try {
    auto result = work();
    run(conn, "COMMIT");
    return result;
  } catch (...) {
    PQclear(PQexec(conn, "ROLLBACK"));
    throw;
  }
}

void refuse_newer(int64_t version) {
  if (version > kFeedbackSchemaVersion)
    throw FeedbackStoreError("feedback database: its tables are version " + std::to_string(version) +
                             ", written by a newer quovi-service; this one knows up to version " +
                             std::to_string(kFeedbackSchemaVersion));
}

// Services starting together on one database take turns: the lock is held until the commit, so
// each finds the version the one before it left, and no two create the same table.
void migrate(PGconn* conn) {
  in_transaction(conn, "BEGIN", [conn] {
    run(conn, kMigrationLock);
    run(conn, "CREATE TABLE IF NOT EXISTS feedback_schema (version integer NOT NULL)");
    const Result current = run(conn, "SELECT version FROM feedback_schema");
    const int64_t version = current.rows() > 0 ? current.integer(0, 0) : 0;
    refuse_newer(version);
    for (int64_t step = version; step < kFeedbackSchemaVersion; ++step) run_script(conn, kMigrations[step]);
    if (current.rows() == 0) run(conn, "INSERT INTO feedback_schema (version) VALUES (0)");
    run(conn, "UPDATE feedback_schema SET version = $1", {std::to_string(kFeedbackSchemaVersion)});
    return true;
  });
}

void check_existing(PGconn* conn) {
  if (run(conn, "SELECT to_regclass('feedback_schema') IS NULL").text(0, 0) == "t")
    throw FeedbackStoreError("feedback database: it holds no feedback tables");
  const Result current = run(conn, "SELECT version FROM feedback_schema");
  refuse_newer(current.rows() > 0 ? current.integer(0, 0) : 0);
  run(conn, "SELECT count(*) FROM ratings, flags, bad_reports, submissions WHERE false");
}

PGconn* connect(const std::string& location) {
  // The defaults come before the URI, which may override them; the encoding comes after it,
  // since every text the store handles is UTF-8.
  const char* keywords[] = {"connect_timeout", "application_name", "dbname", "client_encoding", nullptr};
  const char* values[] = {"10", "quovi-service", location.c_str(), "UTF8", nullptr};
  PGconn* conn = PQconnectdbParams(keywords, values, 1);
  if (!conn) throw FeedbackStoreError("feedback database: out of memory");
  if (PQstatus(conn) != CONNECTION_OK) {
    const std::string message = without_passwords(one_line(PQerrorMessage(conn)), location);
    PQfinish(conn);
    throw FeedbackStoreError("feedback database: " + message);
  }
  // The server's notices ("already exists, skipping") are no news to anyone reading the log.
  PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
  return conn;
}

// At most `limit` connections, opened when first needed and kept; a caller beyond the limit
// waits for one to come back. A connection that broke is dropped, and the next caller opens a
// fresh one, so the store recovers once the server is back.
class ConnectionPool {
 public:
  ConnectionPool(std::string location, int limit) : location_(std::move(location)), limit_(std::max(1, limit)) {}
  ~ConnectionPool() {
    for (PGconn* conn : idle_) PQfinish(conn);
  }
  ConnectionPool(const ConnectionPool&) = delete;
  ConnectionPool& operator=(const ConnectionPool&) = delete;

  class Lease {
   public:
    Lease(ConnectionPool& pool, PGconn* conn) : pool_(pool), conn_(conn) {}
    ~Lease() { pool_.give_back(conn_); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    PGconn* get() const { return conn_; }

   private:
    ConnectionPool& pool_;
    PGconn* conn_;
  };

  Lease take() {
    std::unique_lock lock(mutex_);
    returned_.wait(lock, [this] { return !idle_.empty() || open_ < limit_; });
    if (!idle_.empty()) {
      PGconn* conn = idle_.back();
      idle_.pop_back();
      return Lease(*this, conn);
    }
    ++open_;
    lock.unlock();
    try {
      return Lease(*this, connect(location_));
    } catch (...) {
      lock.lock();
      --open_;
      returned_.notify_one();
      throw;
    }
  }

 private:
  void give_back(PGconn* conn) {
    const bool usable = PQstatus(conn) == CONNECTION_OK && PQtransactionStatus(conn) == PQTRANS_IDLE;
    if (!usable) PQfinish(conn);
    std::lock_guard lock(mutex_);
    if (usable)
      idle_.push_back(conn);
    else
      --open_;
    returned_.notify_one();
  }

  const std::string location_;
  const int limit_;
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<PGconn*> idle_;
  int open_ = 0;
};

constexpr const char* kReceived = R"(to_char(received AT TIME ZONE 'UTC', 'YYYY-MM-DD"T"HH24:MI:SS"Z"'))";

class PostgresqlFeedbackStore final : public FeedbackStore {
 public:
  PostgresqlFeedbackStore(const std::string& location, Mode mode, int connections) : pool_(location, connections) {
    // libpq would read such a password otherwise than written, or quote part of it.
    if (const std::string problem = postgresql_location_problem(location); !problem.empty())
      throw FeedbackStoreError(opening_error(location, problem));
    try {
      const auto lease = pool_.take();
      if (mode == Mode::create)
        migrate(lease.get());
      else
        check_existing(lease.get());
    } catch (const FeedbackStoreError& e) {
      throw FeedbackStoreError(opening_error(location, e.what()));
    }
  }

  void record(const Feedback& feedback) override {
    const auto lease = pool_.take();
    std::visit([&lease](const auto& f) { insert(lease.get(), f); }, feedback);
  }

  std::map<int32_t, ChannelFeedback> channel_totals() const override {
    const auto lease = pool_.take();
    PGconn* conn = lease.get();
    // One snapshot, so that the three sums see the same moment.
    return in_transaction(conn, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", [conn] {
      std::map<int32_t, ChannelFeedback> totals;
      const Result ratings = run(conn, "SELECT channel_id, sum(rating), count(*) FROM ratings GROUP BY channel_id");
      for (int i = 0; i < ratings.rows(); ++i) {
        auto& t = totals[ratings.int32(i, 0)];
        t.rating_sum = ratings.integer(i, 1);
        t.rating_count = ratings.integer(i, 2);
      }
      const Result flags = run(conn, "SELECT channel_id, flag, count(*) FROM flags GROUP BY channel_id, flag");
      for (int i = 0; i < flags.rows(); ++i) {
        auto& t = totals[flags.int32(i, 0)];
        const auto flag = flag_word_from_text(flags.text(i, 1));
        if (!flag) continue;
        int64_t* counts[] = {&t.workfine, &t.notworking, &t.wrong, &t.duplicate, &t.spam};
        *counts[static_cast<size_t>(*flag)] = flags.integer(i, 2);
      }
      const Result bad = run(conn, "SELECT channel_id, count(*) FROM bad_reports GROUP BY channel_id");
      for (int i = 0; i < bad.rows(); ++i) totals[bad.int32(i, 0)].broken_reports = bad.integer(i, 1);
      return totals;
    });
  }

  std::vector<StoredSubmission> submissions() const override {
    const auto lease = pool_.take();
    const Result r = run(lease.get(), (std::string("SELECT number, ") + kReceived +
                                       ", group_id, name, url, bitrate, type_id, homepage, country_id, genre_id, "
                                       "comment FROM submissions ORDER BY number")
                                          .c_str());
    std::vector<StoredSubmission> out;
    for (int i = 0; i < r.rows(); ++i) {
      StoredSubmission row;
      row.number = r.integer(i, 0);
      row.received = r.text(i, 1);
      auto& c = row.channel;
      c.group_id = r.int32(i, 2);
      c.name = r.text(i, 3);
      c.url = r.text(i, 4);
      c.bitrate = r.int32(i, 5);
      c.type_id = r.int32(i, 6);
      c.homepage = r.text(i, 7);
      c.country_id = r.int32(i, 8);
      c.genre_id = r.int32(i, 9);
      c.comment = r.text(i, 10);
      out.push_back(std::move(row));
    }
    return out;
  }

  std::vector<RatingFeedback> ratings() const override {
    const auto lease = pool_.take();
    const Result r = run(lease.get(), "SELECT channel_id, rating FROM ratings ORDER BY number");
    std::vector<RatingFeedback> out;
    for (int i = 0; i < r.rows(); ++i) out.push_back({r.int32(i, 0), r.int32(i, 1)});
    return out;
  }

  std::vector<FlagFeedback> flags() const override {
    const auto lease = pool_.take();
    const Result r = run(lease.get(), "SELECT channel_id, flag FROM flags ORDER BY number");
    std::vector<FlagFeedback> out;
    for (int i = 0; i < r.rows(); ++i)
      out.push_back({r.int32(i, 0), flag_word_from_text(r.text(i, 1)).value_or(FlagWord::ok)});
    return out;
  }

  std::vector<BadChannelFeedback> bad_reports() const override {
    const auto lease = pool_.take();
    const Result r = run(lease.get(), "SELECT channel_id FROM bad_reports ORDER BY number");
    std::vector<BadChannelFeedback> out;
    for (int i = 0; i < r.rows(); ++i) out.push_back({r.int32(i, 0)});
    return out;
  }

 private:
  static void insert(PGconn* conn, const RatingFeedback& r) {
    run(conn, "INSERT INTO ratings (channel_id, rating) VALUES ($1, $2)",
        {std::to_string(r.channel_id), std::to_string(r.rating)});
  }
  static void insert(PGconn* conn, const FlagFeedback& f) {
    run(conn, "INSERT INTO flags (channel_id, flag) VALUES ($1, $2)",
        {std::to_string(f.channel_id), std::string(flag_word_text(f.flag))});
  }
  static void insert(PGconn* conn, const BadChannelFeedback& b) {
    run(conn, "INSERT INTO bad_reports (channel_id) VALUES ($1)", {std::to_string(b.channel_id)});
  }
  static void insert(PGconn* conn, const ChannelSubmission& s) {
    run(conn,
        "INSERT INTO submissions (group_id, name, url, bitrate, type_id, homepage, country_id, genre_id, comment) "
        "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9)",
        {std::to_string(s.group_id), s.name, s.url, std::to_string(s.bitrate), std::to_string(s.type_id), s.homepage,
         std::to_string(s.country_id), std::to_string(s.genre_id), s.comment});
  }

  mutable ConnectionPool pool_;
};
}  // namespace

std::unique_ptr<FeedbackStore> open_postgresql_feedback_store(const std::string& location, FeedbackStore::Mode mode,
                                                              int connections) {
  return std::make_unique<PostgresqlFeedbackStore>(location, mode, connections);
}
