#pragma once
#include <string>

struct HttpResult {
  long status = 0;  // 0 when no reply came
  std::string body;
  std::string content_type;
  std::string error;
};

// One GET of the URL as it stands, with the program's User-Agent.
HttpResult http_get(const std::string& url);
