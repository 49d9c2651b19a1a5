// Feeds arbitrary query strings to the service's request handling: the four feedback requests,
// decoded and recorded in a database held in memory, and the download request's version stamp.
// The first input byte picks the path; the rest is the raw query. A request the decoding accepts
// must be one the database takes, and must carry only what the catalogue build can use. One more
// "path" takes the rest as a download request's Host header: the address the catalogue's own
// channels are then given must be a plain http address, never anything the header smuggles in.
#include "catalogue_publish.h"
#include "catalogue_reply.h"
#include "feedback_query.h"
#include "feedback_store.h"
#include "service_requests.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

namespace {
constexpr std::string_view kPaths[] = {"/service/rate.php", "/service/flag.php", "/service/bad.php",
                                       "/service/new2.php", "/service/get.php",  "/service/other.php",
                                       "Host"};

void check(bool holds) {
  if (!holds) std::abort();
}

bool plain_text(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return text_as_utf8(text) == text;  // valid UTF-8 comes back unchanged
}

// A fresh database now and then, so that recorded rows do not pile up over a long run.
FeedbackStore& store() {
  static std::unique_ptr<FeedbackStore> current;
  static int uses = 0;
  if (!current || ++uses % 4096 == 0) current = open_feedback_store(":memory:");
  return *current;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const std::string_view path = kPaths[bytes[0] % std::size(kPaths)];
  const std::string_view query(reinterpret_cast<const char*>(bytes) + 1, size - 1);

  if (path == "Host") {
    const std::string fallback = "http://127.0.0.1:8741";
    const std::string base = service_base_for_host(query, fallback);
    check(base == fallback || base == "http://" + std::string(query));
    for (const char c : base.substr(7))
      check(std::isalnum(static_cast<unsigned char>(c)) || std::string_view(".-:[]").find(c) != std::string_view::npos);
    std::vector<ZipMember> members = {{"tv.dat", "1|TQ==|@QUOVI_SERVICE@/media/a.ogg|0|1|@QUOVI_SERVICE@/|0|0||0|0|0|0|0|0|0"}};
    fill_in_service_address(members, base);
    check(!names_the_service(members) && members[0].content.find(base + "/media/a.ogg") != std::string::npos);
    return 0;
  }

  if (path == "/service/get.php") {
    const auto stamp = requested_stamp(query);
    const std::string reply = catalogue_download_reply("catalogue bytes", "202601011200", stamp);
    check(reply.size() > 7);
    return 0;
  }

  const ParsedFeedback parsed = parse_feedback(path, query);
  check(parsed.feedback.has_value() == parsed.error.empty());
  if (const auto* rating = parsed.feedback ? std::get_if<RatingFeedback>(&*parsed.feedback) : nullptr)
    check(rating->rating >= 1 && rating->rating <= 5);
  if (const auto* s = parsed.feedback ? std::get_if<ChannelSubmission>(&*parsed.feedback) : nullptr) {
    check(s->group_id >= 1 && s->group_id <= 3 && !s->name.empty() && !s->url.empty());
    check(plain_text(s->name) && plain_text(s->url) && plain_text(s->homepage) && plain_text(s->comment));
  }
  const ServiceReply reply = answer_feedback(store(), path, query);
  // Accepted requests are recorded; refused ones are a 400, never a database failure.
  check(reply.status == (parsed.feedback ? 200 : 400));
  return 0;
}
