#pragma once
#include <string>
#include <vector>

// The catalogue download as static files, so that a web server or CDN in front of the services
// answers GET /service/get.php itself, byte for byte as the service would:
//   "catalogue.reply"           for a client without the catalogue's stamp (the catalogue itself),
//   "up-to-date-STAMP.reply"    for a client whose "date" is STAMP ("up to date").
// The server picks the second when it exists for the request's date, else the first.
inline constexpr const char* kCatalogueReplyFile = "catalogue.reply";
std::string up_to_date_reply_file(const std::string& stamp);

struct StaticReply {
  std::string name;
  std::string bytes;
};
// The catalogue's reply first, then the up-to-date one.
std::vector<StaticReply> static_download_replies(const std::string& catalogue_bytes, const std::string& stamp);

// Writes the replies into `folder` (created when missing), each file replaced whole so that a
// web server never hands out half of one, and removes the up-to-date files of earlier stamps.
// Throws std::runtime_error naming the file that could not be written.
void publish_static_replies(const std::string& folder, const std::string& catalogue_bytes, const std::string& stamp);
