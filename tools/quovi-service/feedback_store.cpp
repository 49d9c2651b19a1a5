#include "feedback_store.h"

#include "postgresql_feedback_store.h"
#include "sqlite_feedback_store.h"

std::string opening_error(const std::string& location, std::string detail) {
  const std::string prefix = "feedback database: ";
  if (detail.rfind(prefix, 0) == 0) detail.erase(0, prefix.size());
  while (!detail.empty() && (detail.back() == '\n' || detail.back() == ' ')) detail.pop_back();
  return "cannot open the feedback database " + printable_location(location) + ": " + without_passwords(detail, location);
}

std::unique_ptr<FeedbackStore> open_feedback_store(const std::string& location, FeedbackStore::Mode mode,
                                                   int connections) {
  if (is_postgresql_location(location)) return open_postgresql_feedback_store(location, mode, connections);
  return open_sqlite_feedback_store(location, mode);
}
