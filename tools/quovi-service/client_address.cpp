#include "client_address.h"

#include <netinet/in.h>

std::string client_of(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    return std::string(reinterpret_cast<const char*>(&v4.sin_addr), 4);
  }
  if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    const auto* bytes = reinterpret_cast<const char*>(&v6.sin6_addr);
    if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) return std::string(bytes + 12, 4);
    // Eight bytes: never the same as an IPv4 client's four.
    return std::string(bytes, 8);
  }
  return {};
}

std::string client_of_socket(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
  return client_of(address);
}
