#pragma once
#include <sys/socket.h>

#include <string>

// Who a connection comes from, for bounding what one client may hold: the bytes of its IPv4
// address, or the first 64 bits of its IPv6 address, since a single IPv6 client commonly has a
// whole /64 network to itself. An IPv4 client reaching a dual-stack socket (::ffff:a.b.c.d) is its
// IPv4 address. Anything else (a Unix socket) is one client, "".
std::string client_of(const sockaddr_storage& address);

// client_of the peer of a connected socket; "" when it cannot be told.
std::string client_of_socket(int fd);
