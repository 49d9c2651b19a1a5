#pragma once
#include "feedback_store.h"

// The feedback database in PostgreSQL, reached with libpq at a "postgresql://" URI. Holds up to
// `connections` connections; the tables are created and migrated under a lock the services
// sharing the database take in turn.
std::unique_ptr<FeedbackStore> open_postgresql_feedback_store(const std::string& location, FeedbackStore::Mode mode,
                                                              int connections);
