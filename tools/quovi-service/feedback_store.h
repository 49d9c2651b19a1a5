#pragma once
#include "database_location.h"
#include "feedback_query.h"

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

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

// The feedback database: a table per kind of request, in an SQLite file or a PostgreSQL database.
// Both hold the same rows and answer the same totals. Every call may come from any thread; several
// stores, in one process or in several, may record into one database at once, and the catalogue
// build may read it meanwhile.
class FeedbackStore {
 public:
  enum class Mode { create, existing };

  virtual ~FeedbackStore() = default;

  // Throws FeedbackStoreError when the row cannot be written.
  virtual void record(const Feedback& feedback) = 0;

  virtual std::map<int32_t, ChannelFeedback> channel_totals() const = 0;
  virtual std::vector<StoredSubmission> submissions() const = 0;

  // Every row of one table in order of arrival (for checks and inspection).
  virtual std::vector<RatingFeedback> ratings() const = 0;
  virtual std::vector<FlagFeedback> flags() const = 0;
  virtual std::vector<BadChannelFeedback> bad_reports() const = 0;
};

// The version of the tables this program writes. Opening a database creates the tables or brings
// older ones up to it; a database written by a newer program is refused rather than misread.
inline constexpr int kFeedbackSchemaVersion = 1;

// "cannot open the feedback database LOCATION: DETAIL", the location printable, the detail without
// its passwords and without a leading "feedback database: ".
std::string opening_error(const std::string& location, std::string detail);

// Opens the feedback database at `location`. Mode::create creates the file or the tables when
// missing and migrates older ones; Mode::existing refuses a database without them. `connections`
// bounds the connections a PostgreSQL store keeps open (callers beyond it wait their turn); an
// SQLite store uses one. Throws FeedbackStoreError, its message starting "cannot open the feedback
// database".
std::unique_ptr<FeedbackStore> open_feedback_store(const std::string& location,
                                                   FeedbackStore::Mode mode = FeedbackStore::Mode::create,
                                                   int connections = 4);
