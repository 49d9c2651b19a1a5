#pragma once
#include <string>
#include <string_view>

class CatalogueFile;
class FeedbackStore;

struct ServiceReply {
  int status = 200;
  std::string content_type = "text/plain; charset=utf-8";
  std::string body;
  std::string log_note;  // why a request was refused or failed, for the service's log
};

// GET /service/get.php?key='&date=STAMP, from a client that reached the service at `base`
// ("http://host:port", see service_base_for_host; empty: the service's own address).
ServiceReply answer_download(CatalogueFile& catalogue, std::string_view raw_query, const std::string& base = {});

// GET of one of the four feedback paths: 200 once recorded, 400 when the request is malformed
// (nothing is recorded), 500 when the database refuses the row.
ServiceReply answer_feedback(FeedbackStore& store, std::string_view path, std::string_view raw_query);

// GET /update.html
ServiceReply answer_update_page();

// GET /: the page the player's site link opens while it follows the service.
ServiceReply answer_home_page();
