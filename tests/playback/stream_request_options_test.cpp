// The per-file options that carry a channel's request headers to mpv.
#include "playback/player_component.h"
#include "playback/stream_request_options.h"

#include <gtest/gtest.h>

TEST(StreamRequestOptions, EachHeaderGoesWhereTheStreamLibraryTakesIt) {
  const struct {
    const char* what;
    StreamHttpOptions http;
    const char* url;
    QByteArray options;
  } cases[] = {
      {"nothing asked", {}, "http://s/1", ""},
      {"user agent and referrer with commas", {"A, B", "http://r/?a=1,2", ""}, "http://s/1",
       "user-agent=%4%A, B,referrer=%15%http://r/?a=1,2"},
      {"other headers, a comma kept inside its field", {"", "", "Origin: http://o/\nX-List: a, b"}, "http://s/1",
       "http-header-fields=%31%Origin: http://o/,X-List: a\\, b"},
      // The cookie goes to the jar for the host as the request names it, port included; the
      // player's own options for the stream library stay.
      {"a cookie", {"", "", "cookie: a=1; b=2"}, "http://s.example:8080/live?x={id}",
       "stream-lavf-o=%115%reconnect=1,reconnect_delay_max=4,cookies=%69%a=1; path=/; domain=s.example:8080\n"
       "b=2; path=/; domain=s.example:8080"},
  };
  for (const auto& c : cases) EXPECT_EQ(stream_file_options(c.http, QString::fromUtf8(c.url)), c.options) << c.what;
}
