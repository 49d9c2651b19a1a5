#include "service_requests.h"

#include "catalogue_file.h"
#include "catalogue_reply.h"
#include "feedback_store.h"
#include "version.h"

ServiceReply answer_download(CatalogueFile& catalogue, std::string_view raw_query, const std::string& base) {
  const auto snapshot = catalogue.current(base);
  ServiceReply reply;
  reply.content_type = "application/octet-stream";
  reply.body = catalogue_download_reply(*snapshot.bytes, snapshot.stamp, requested_stamp(raw_query));
  reply.log_note = snapshot.problem;
  return reply;
}

ServiceReply answer_feedback(FeedbackStore& store, std::string_view path, std::string_view raw_query) {
  const ParsedFeedback parsed = parse_feedback(path, raw_query);
  if (!parsed.feedback) return {400, "text/plain; charset=utf-8", "Bad request: " + parsed.error + "\n", parsed.error};
  try {
    store.record(*parsed.feedback);
  } catch (const std::exception& e) {
    return {500, "text/plain; charset=utf-8", "The request could not be recorded.\n", e.what()};
  }
  return {200, "text/plain; charset=utf-8", "OK\n", {}};
}

ServiceReply answer_update_page() {
  ServiceReply reply;
  reply.content_type = "text/html; charset=utf-8";
  reply.body =
      "<!DOCTYPE html>\n"
      "<html lang=\"en\">\n"
      "<head><meta charset=\"utf-8\"><title>" QUOVI_PRODUCT_NAME " updates</title></head>\n"
      "<body>\n"
      "<h1>" QUOVI_PRODUCT_NAME "</h1>\n"
      "<p>The newest release is " QUOVI_PRODUCT_VERSION ". If your player shows this version in its About box, "
      "it is up to date.</p>\n"
      "<p>Your channel list has just been updated from this service.</p>\n"
      "</body>\n"
      "</html>\n";
  return reply;
}

ServiceReply answer_home_page() {
  ServiceReply reply;
  reply.content_type = "text/html; charset=utf-8";
  reply.body =
      "<!DOCTYPE html>\n"
      "<html lang=\"en\">\n"
      "<head><meta charset=\"utf-8\"><title>" QUOVI_PRODUCT_NAME "</title></head>\n"
      "<body>\n"
      "<h1>" QUOVI_PRODUCT_NAME "</h1>\n"
      "<p>This is the channel list and feedback service your player talks to. The newest release is "
      QUOVI_PRODUCT_VERSION ".</p>\n"
      "<p>Press Update in the player to fetch the newest channel list.</p>\n"
      "</body>\n"
      "</html>\n";
  return reply;
}
