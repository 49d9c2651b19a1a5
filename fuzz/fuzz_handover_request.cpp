// Feeds arbitrary bytes, as they arrive on the local socket from whatever connects, to the running
// copy's reader of a later start's request. Besides crashes it stops on a broken promise: a
// request read past the limits, a decision that more bytes undo (a refusal or a complete request
// must stay so), or a request that does not read back the same once written again.
#include "desktop/handover_request.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void require(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  // The first byte cuts the rest in two, as two reads might.
  const QByteArray all(reinterpret_cast<const char*>(bytes) + 1, static_cast<qsizetype>(size - 1));
  const qsizetype cut = all.isEmpty() ? 0 : bytes[0] % (all.size() + 1);
  const DecodedRequest first = decode_socket_request(all.first(cut));
  const DecodedRequest whole = decode_socket_request(all);
  if (first.state == DecodedRequest::State::Invalid) require(whole.state == DecodedRequest::State::Invalid);
  if (first.state == DecodedRequest::State::Complete) require(cut == all.size() || whole.state == DecodedRequest::State::Invalid);
  if (whole.state != DecodedRequest::State::Complete) return 0;
  require(whole.request.uris.size() <= kMaxHandoverItems);
  require(handed_over_items(whole.request.uris).has_value() ||
          whole.request.uris.size() > kMaxHandoverItems);
  const DecodedRequest again = decode_socket_request(encode_socket_request(whole.request));
  require(again.state == DecodedRequest::State::Complete);
  require(again.request.uris == whole.request.uris);
  require(again.request.activation_token == whole.request.activation_token);
  return 0;
}
