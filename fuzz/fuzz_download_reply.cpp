// Feeds arbitrary bytes, as the body of the catalogue service's reply, to everything that reads it:
// the 6-byte header checks that sort it into a message, a new catalogue or a refusal, the progress
// shown while it arrives, and the trial load a new catalogue must pass before it may be installed.
#include "services/catalogue_download.h"
#include "services/catalogue_trial_load.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {
void check(bool holds) {
  if (!holds) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  DownloadReply reply = interpret_reply({}, std::string(reinterpret_cast<const char*>(bytes), size));
  using Kind = DownloadReply::Kind;
  check(reply.kind != Kind::Failed);
  if (reply.kind == Kind::Incomplete) check(reply.status == kStatusIncomplete);
  if (reply.kind == Kind::Catalogue || reply.kind == Kind::Message || reply.kind == Kind::UnknownProtocol) {
    // Only a whole reply with at least two bytes after the header is read at all.
    check(size > 7);
    int32_t length = 0;
    std::memcpy(&length, bytes + 2, sizeof length);
    check(static_cast<size_t>(length) == size);
  }
  if (reply.kind == Kind::Catalogue) {
    // The payload is the body after the header, byte for byte.
    check(reply.payload.size() == size - 6 && std::memcmp(reply.payload.data(), bytes + 6, size - 6) == 0);
    // What loads is the catalogue the reload takes over: it must be whole, or nothing when refused.
    Catalogue loaded = catalogue_to_load(Catalogue{});
    const QString reason = trial_load_catalogue(loaded, std::move(reply.payload));
    if (reason.isEmpty()) check(!loaded.version_stamp.empty() || !loaded.channels.empty() || !loaded.countries.empty() || !loaded.genres.empty());
  } else {
    check(reply.payload.empty());
  }

  // The progress of a reply that announces its header's length and has delivered what came.
  if (size >= 6) {
    int32_t announced = 0;
    std::memcpy(&announced, bytes + 2, sizeof announced);
    const auto percent = progress_percent(static_cast<int64_t>(size), announced);
    if (percent) check(*percent >= 0 && *percent <= 100);
    check(!progress_text(static_cast<int64_t>(size), announced).isEmpty());
  }
  return 0;
}
