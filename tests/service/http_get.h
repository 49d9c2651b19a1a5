#pragma once
#include <QByteArray>

#include <functional>
#include <string>

// Requests go through the program's own HTTP client (services/http_request.h), as the player
// sends them.
struct HttpResult {
  long status = 0;   // 200 when the request succeeded, the HTTP error status it failed with, else 0
  std::string body;
  std::string error;  // the client's error text, empty on success
};

// One GET of the URL as it stands; waits for the end while running the event loop.
HttpResult http_get(const std::string& url);

// Runs the event loop until `done` answers true or the time is up; answers `done`'s last word.
bool wait_for(const std::function<bool()>& done, int milliseconds = 10000);
