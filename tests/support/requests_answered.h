#pragma once
#include "services/http_request.h"

#include <QCoreApplication>

#include <algorithm>

namespace quovi_test {
// True once none of the requests that belong to the application (the feedback requests do) is
// still on its way. A request runs from the call that sends it until its reply is in, and a server
// has read a request before it replies: when none runs, everything sent so far has reached its
// server and nothing more will.
inline bool all_requests_answered() {
  const auto requests = QCoreApplication::instance()->findChildren<HttpRequest*>(Qt::FindDirectChildrenOnly);
  return std::none_of(requests.begin(), requests.end(), [](const HttpRequest* r) { return r->running(); });
}
}  // namespace quovi_test
