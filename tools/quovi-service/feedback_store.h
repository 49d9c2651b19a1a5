#pragma once
#include "feedback_query.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

class FeedbackStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the users said about one catalogue channel, summed over every recorded request.
struct ChannelFeedback {
  int64_t rating_sum = 0;
  int64_t rating_count = 0;
  int64_t workfine = 0;
  int64_t notworking = 0;
  int64_t wrong = 0;
  int64_t duplicate = 0;
  int64_t spam = 0;
  int64_t broken_reports = 0;  // automatic reports from players that failed to play it
  friend bool operator==(const ChannelFeedback&, const ChannelFeedback&) = default;
};

struct StoredSubmission {
  int64_t number = 0;     // row number, in order of arrival
  std::string received;   // UTC, "YYYY-MM-DDThh:mm:ssZ"
  ChannelSubmission channel;
};

// The feedback database: one SQLite file with a table per kind of request. Every call is
// serialised, so one store may serve all the server's threads; other processes (the catalogue
// build) may read the file while the service writes it.
class FeedbackStore {
 public:
  enum class Mode { create, existing };

  // Opens the database, creating the file and its tables in Mode::create; Mode::existing refuses
  // a missing file or one without the tables. Throws FeedbackStoreError with SQLite's message.
  explicit FeedbackStore(const std::string& path, Mode mode = Mode::create);
  ~FeedbackStore();
  FeedbackStore(const FeedbackStore&) = delete;
  FeedbackStore& operator=(const FeedbackStore&) = delete;

  // Throws FeedbackStoreError when the row cannot be written.
  void record(const Feedback& feedback);

  std::map<int32_t, ChannelFeedback> channel_totals() const;
  std::vector<StoredSubmission> submissions() const;

  // Every row of one table in order of arrival (for checks and inspection).
  std::vector<RatingFeedback> ratings() const;
  std::vector<FlagFeedback> flags() const;
  std::vector<BadChannelFeedback> bad_reports() const;

 private:
  void execute(const char* sql) const;

  sqlite3* db_ = nullptr;
  mutable std::mutex mutex_;
};
