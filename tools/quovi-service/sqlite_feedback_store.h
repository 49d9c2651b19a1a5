#pragma once
#include "feedback_store.h"

// The feedback database as one SQLite file (or ":memory:"), in write-ahead-log mode so that
// readers never wait for the service.
std::unique_ptr<FeedbackStore> open_sqlite_feedback_store(const std::string& path, FeedbackStore::Mode mode);
