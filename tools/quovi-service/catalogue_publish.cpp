#include "catalogue_publish.h"

#include <algorithm>
#include <cctype>

namespace {
bool is_name_character(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.'; }
bool is_ipv6_character(char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; }

bool is_port(std::string_view text) {
  if (text.empty() || text.size() > 5) return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  const int port = std::stoi(std::string(text));
  return port >= 1 && port <= 65535;
}
}  // namespace

bool names_the_service(const std::vector<ZipMember>& members) {
  return std::any_of(members.begin(), members.end(),
                     [](const ZipMember& m) { return m.content.find(kServiceAddressToken) != std::string::npos; });
}

void fill_in_service_address(std::vector<ZipMember>& members, std::string_view base) {
  for (ZipMember& m : members) {
    std::string& text = m.content;
    for (size_t at = text.find(kServiceAddressToken); at != std::string::npos;
         at = text.find(kServiceAddressToken, at + base.size()))
      text.replace(at, kServiceAddressToken.size(), base);
  }
}

std::string service_base_for_host(std::string_view host, const std::string& fallback) {
  if (host.empty() || host.size() > 260) return fallback;
  std::string_view name = host;
  std::string_view port;
  if (host.front() == '[') {
    const size_t close = host.find(']');
    if (close == std::string_view::npos || close < 3) return fallback;
    name = host.substr(0, close + 1);
    if (!std::all_of(name.begin() + 1, name.end() - 1, is_ipv6_character)) return fallback;
    const std::string_view rest = host.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return fallback;
      port = rest.substr(1);
      if (!is_port(port)) return fallback;
    }
  } else {
    if (const size_t colon = host.find(':'); colon != std::string_view::npos) {
      name = host.substr(0, colon);
      port = host.substr(colon + 1);
      if (!is_port(port)) return fallback;
    }
    if (name.empty() || !std::all_of(name.begin(), name.end(), is_name_character)) return fallback;
  }
  return "http://" + std::string(host);
}

std::string listening_base(const std::string& address, int port) {
  std::string host = address;
  if (host.empty() || host == "0.0.0.0") host = "127.0.0.1";
  else if (host == "::") host = "[::1]";
  else if (host.find(':') != std::string::npos) host = "[" + host + "]";
  return "http://" + host + ":" + std::to_string(port);
}
