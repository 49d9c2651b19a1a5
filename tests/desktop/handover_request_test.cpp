// What a later start hands to the running copy, and the request's form on the local socket, which
// the running copy reads from whatever connects.
#include "desktop/handover_request.h"

#include <gtest/gtest.h>

#include <QUrl>

namespace {
using State = DecodedRequest::State;

TEST(HandoverUris, FilesBecomeAbsoluteUrisAndAddressesStayAsGiven) {
  const struct {
    QString argument;
    QString uri;  // empty: left out
  } cases[] = {
      {"list.m3u", "file:///home/u/list.m3u"},
      {"../tv/list.m3u", "file:///home/tv/list.m3u"},
      {"/srv/a b#1.m3u", "file:///srv/a%20b%231.m3u"},
      {"news:today.m3u", "file:///home/u/news:today.m3u"},  // a colon alone makes no address
      {"http://example.org/tv.m3u?x=1", "http://example.org/tv.m3u?x=1"},
      {"HTTPS://example.org/tv.m3u", "HTTPS://example.org/tv.m3u"},
      {"file:///srv/list.m3u", "file:///srv/list.m3u"},
      {"http://example.org/a\nb", "http://example.org/a%0Ab"},
      {"--verbose", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    const QStringList uris = handover_uris({c.argument}, QStringLiteral("/home/u"));
    EXPECT_EQ(uris, c.uri.isEmpty() ? QStringList() : QStringList{c.uri}) << c.argument.toStdString();
  }
}

TEST(HandoverUris, TheRunningCopyGetsBackTheFileAndTheAddress) {
  const QStringList given{"/srv/a b#1.m3u", "http://example.org/tv.m3u"};
  EXPECT_EQ(handed_over_items(handover_uris(given, "/")), given);
}

TEST(HandoverUris, ARequestBeyondTheLimitsIsRefusedWhole) {
  EXPECT_FALSE(handed_over_items(QStringList(kMaxHandoverItems + 1, QStringLiteral("http://a/"))));
  EXPECT_TRUE(handed_over_items(QStringList(kMaxHandoverItems, QStringLiteral("http://a/"))));
  EXPECT_FALSE(handed_over_items({QStringLiteral("http://a/") + QString(kMaxHandoverItemBytes, QLatin1Char('x'))}));
}

TEST(SocketRequest, ReadsBackWhatWasWrittenAndWaitsForTheRest) {
  const HandoverRequest sent{{"file:///srv/a%20b.m3u", "http://example.org/tv.m3u"}, "token-1"};
  const QByteArray bytes = encode_socket_request(sent);
  for (qsizetype cut = 0; cut < bytes.size(); ++cut)
    ASSERT_EQ(decode_socket_request(bytes.first(cut)).state, State::Incomplete) << cut;
  const DecodedRequest read = decode_socket_request(bytes);
  ASSERT_EQ(read.state, State::Complete);
  EXPECT_EQ(read.request.uris, sent.uris);
  EXPECT_EQ(read.request.activation_token, sent.activation_token);
  // Just asking for the window: no items, no token.
  const DecodedRequest bare = decode_socket_request(encode_socket_request({}));
  ASSERT_EQ(bare.state, State::Complete);
  EXPECT_TRUE(bare.request.uris.isEmpty());
}

TEST(SocketRequest, WhatIsNoRequestIsRefusedAsSoonAsItShows) {
  const QByteArray head = "quovi-open 1\n\n";
  const struct {
    const char* what;
    QByteArray bytes;
  } cases[] = {
      {"another program's greeting", "GET / HTTP/1.1\r\n"},
      {"a longer first line", "quovi-open 12\n"},
      {"bytes after the end", head + "http://a/\n\nmore"},
      {"a control character", head + "http://a/\r\n\n"},
      {"an item too long", head + QByteArray(kMaxHandoverItemBytes + 1, 'x')},
      {"a token too long", "quovi-open 1\n" + QByteArray(kMaxHandoverTokenBytes + 1, 't')},
      {"too many items", head + QByteArray("http://a/\n").repeated(kMaxHandoverItems + 1)},
      {"more than a request can hold", head + (QByteArray(16000, 'x') + '\n').repeated(100)},
  };
  for (const auto& c : cases) EXPECT_EQ(decode_socket_request(c.bytes).state, State::Invalid) << c.what;
}
}  // namespace
