#include "client_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/un.h>

#include <gtest/gtest.h>

namespace {
sockaddr_storage address_of(const char* text) {
  sockaddr_storage address{};
  if (auto* v4 = reinterpret_cast<sockaddr_in*>(&address); inet_pton(AF_INET, text, &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    return address;
  }
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
  EXPECT_EQ(inet_pton(AF_INET6, text, &v6->sin6_addr), 1) << text;
  v6->sin6_family = AF_INET6;
  return address;
}
}  // namespace

// One client is one IPv4 address, whichever socket it reached, or one IPv6 /64 network.
TEST(ClientAddress, OneClientIsAnIPv4AddressOrAnIPv6Network) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"192.0.2.7", "192.0.2.7", true},
      {"192.0.2.7", "192.0.2.8", false},
      {"192.0.2.7", "::ffff:192.0.2.7", true},
      {"::ffff:192.0.2.7", "::ffff:192.0.2.8", false},
      {"2001:db8:1:2::1", "2001:db8:1:2:ffff::9", true},
      {"2001:db8:1:2::1", "2001:db8:1:3::1", false},
      {"::ffff:0.0.0.1", "::ffff:0.0.0.2", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(client_of(address_of(c.a)) == client_of(address_of(c.b)), c.same) << c.a << " " << c.b;
  sockaddr_storage local{};
  local.ss_family = AF_UNIX;
  EXPECT_EQ(client_of(local), "");
}
