#include "catalogue_reply.h"

#include "feedback_query.h"

#include <algorithm>

namespace {
void append_le(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
}  // namespace

std::string encode_reply(uint16_t code, std::string_view payload) {
  std::string out;
  out.reserve(kReplyHeaderBytes + payload.size());
  append_le(out, code, 2);
  append_le(out, static_cast<uint32_t>(kReplyHeaderBytes + payload.size()), 4);
  out.append(payload);
  return out;
}

bool is_version_stamp(std::string_view text) {
  return text.size() == 12 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool client_needs_catalogue(const std::optional<std::string>& client_stamp, std::string_view catalogue_stamp) {
  if (!client_stamp || client_stamp->empty()) return true;
  if (is_version_stamp(*client_stamp) && is_version_stamp(catalogue_stamp)) return *client_stamp < catalogue_stamp;
  return *client_stamp != catalogue_stamp;
}

std::optional<std::string> requested_stamp(std::string_view raw_query) {
  const auto parameters = split_query(raw_query);
  if (!parameters) return std::nullopt;
  for (const auto& [name, value] : *parameters)
    if (name == "date") return value;
  return std::nullopt;
}

std::string catalogue_download_reply(std::string_view catalogue_bytes, std::string_view catalogue_stamp,
                                     const std::optional<std::string>& client_stamp) {
  // The client accepts only bodies longer than seven bytes.
  if (catalogue_bytes.size() < 2) return encode_reply(kReplyMessage, kNoCatalogueMessage);
  if (!client_needs_catalogue(client_stamp, catalogue_stamp)) return encode_reply(kReplyMessage, kUpToDateMessage);
  return encode_reply(kReplyCatalogue, catalogue_bytes);
}
