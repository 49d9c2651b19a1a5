#pragma once
#include "catalogue/zip_memory_writer.h"

#include <string>
#include <string_view>
#include <vector>

// The service's own address in a catalogue it serves. The demo catalogue's local channels (their
// stream and homepage addresses) hold this placeholder where the address belongs; the service
// fills in the address each client reached it at, so they follow the service wherever it runs.
inline constexpr std::string_view kServiceAddressToken = "@QUOVI_SERVICE@";

bool names_the_service(const std::vector<ZipMember>& members);
void fill_in_service_address(std::vector<ZipMember>& members, std::string_view base);

// The base address ("http://host:port") a request reached the service at, from its Host header
// when that is a plain host name, IPv4 address or bracketed IPv6 address with an optional port;
// `fallback` for anything else (missing, too long, other characters).
std::string service_base_for_host(std::string_view host_header, const std::string& fallback);

// The base address of the address and port the service listens on; a wildcard address stands for
// this computer.
std::string listening_base(const std::string& address, int port);
