#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The reply body of the catalogue download: a 16-bit code and the 32-bit length of the whole body
// (both little-endian), then the payload.
enum : uint16_t { kReplyCatalogue = 258, kReplyMessage = 259 };
inline constexpr size_t kReplyHeaderBytes = 6;

inline constexpr std::string_view kUpToDateMessage = "Your channel list is up to date.";
inline constexpr std::string_view kNoCatalogueMessage = "The channel list is not available at the moment.";

std::string encode_reply(uint16_t code, std::string_view payload);

// Twelve decimal digits, YYYYMMDDhhmm.
bool is_version_stamp(std::string_view text);

// The client needs the catalogue when it has no stamp or an older one. Stamps that are not
// twelve digits cannot be ordered; then only an identical stamp counts as current.
bool client_needs_catalogue(const std::optional<std::string>& client_stamp, std::string_view catalogue_stamp);

// The "date" parameter of a download request, or nothing when the query has none (or is broken).
std::optional<std::string> requested_stamp(std::string_view raw_query);

// The reply to a download request. A catalogue too short to pass the client's length check is
// never sent: the client would refuse it anyway, so it gets the "not available" message.
std::string catalogue_download_reply(std::string_view catalogue_bytes, std::string_view catalogue_stamp,
                                     const std::optional<std::string>& client_stamp);
