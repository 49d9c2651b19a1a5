#include "http_get.h"

#include "version.h"

#include <curl/curl.h>

namespace {
size_t append_body(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}
}  // namespace

HttpResult http_get(const std::string& url) {
  HttpResult result;
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Quovi/" QUOVI_PRODUCT_VERSION);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, append_body);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
  const CURLcode rc = curl_easy_perform(curl);
  if (rc != CURLE_OK) result.error = curl_easy_strerror(rc);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
  char* type = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) result.content_type = type;
  curl_easy_cleanup(curl);
  return result;
}
