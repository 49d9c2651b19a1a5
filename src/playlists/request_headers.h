#pragma once
#include "playlists/playlist_builder.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The request headers a playlist gives a stream, in the spellings lists use: after a "|" behind
// the address ("http://h/live.m3u8|User-Agent=Foo&Referer=http://x/", values percent-encoded or
// not), and as the JSON object of #EXTHTTP ({"cookie":"a=1","user-agent":"Foo"}).
//
// An entry keeps its user agent and referrer apart (the player has options of its own for them)
// and every other header in one text, "Name: value" lines apart by LF, in the order given.

// Whether the text can be a header's name (an HTTP token).
bool is_header_name(std::string_view name);

// Where the headers behind an address start: the first "|" followed by a header's name and "=".
// Another "|" is part of the address.
std::optional<size_t> address_headers_at(std::string_view line);

// Calls header(name, value) for each "Name=value" of the text after the "|", apart by "&" (an "&"
// not followed by a header's name and "=" is part of the value), the value percent-decoded where
// it holds %XX.
void for_each_address_header(std::string_view text,
                             const std::function<void(std::string_view name, const std::string& value)>& header);

// Calls header(name, value) for each member of the #EXTHTTP object whose value is a string;
// answers false when the text is no JSON object.
bool for_each_json_header(std::string_view json,
                          const std::function<void(std::string_view name, const std::string& value)>& header);

// Calls header(name, value) for each line of an entry's headers text.
void for_each_header_line(std::string_view headers,
                          const std::function<void(std::string_view name, std::string_view value)>& header);

// Whether the headers text has a header of that name (in any case).
bool has_header(std::string_view headers, std::string_view name);

// The request headers given for one entry, by the lines before its address and by the address:
// the first of a name counts; a value with a control character, a header the player writes
// itself (Host, Content-Length...) and a header past kMaxRequestHeaders are not used, and counted.
class EntryHeaders {
 public:
  // One header. `owned`: the value is a text of the caller's own, copied here; else a piece of
  // the builder's text, which stays where it is.
  void offer(size_t line, std::string_view name, std::string_view value, bool owned, PlaylistBuilder& builder);
  // The address without the headers behind a "|", which are offered.
  std::string_view take_from_address(size_t line, std::string_view address, PlaylistBuilder& builder);
  // The headers into the entry's fields: views of this, valid while it lives unchanged.
  void fill(EntryFields& fields) const;

 private:
  std::string_view user_agent_;  // a piece of the text, or own_user_agent_
  std::string_view referrer_;    // a piece of the text, or own_referrer_
  std::string own_user_agent_, own_referrer_;
  std::string others_;  // "Name: value" lines apart by LF
  size_t count_ = 0;    // in others_
};
