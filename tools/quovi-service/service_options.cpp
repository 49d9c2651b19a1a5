#include "service_options.h"

#include "catalogue_publish.h"
#include "feedback_query.h"
#include "version.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef QUOVI_SERVICE_DATA_SUBDIR
#define QUOVI_SERVICE_DATA_SUBDIR "share/quovi"
#endif

namespace {
// The installed data folder, found from the program's own place (PREFIX/bin/quovi-service ->
// PREFIX/share/quovi), so that the package works under any prefix.
std::string installed_data_folder() {
  std::error_code ec;
  const auto program = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec) return "/usr/" QUOVI_SERVICE_DATA_SUBDIR;
  return (program.parent_path().parent_path() / QUOVI_SERVICE_DATA_SUBDIR).string();
}
}  // namespace

std::optional<int> port_of_address(const std::string& url) {
  const std::string scheme = "http://";
  if (url.rfind(scheme, 0) != 0) return std::nullopt;
  std::string authority = url.substr(scheme.size());
  authority = authority.substr(0, authority.find('/'));
  const auto colon = authority.rfind(':');
  if (colon == std::string::npos || authority.back() == ']') return 80;
  const auto port = parse_decimal_int32(authority.substr(colon + 1));
  if (!port || *port < 1 || *port > 65535) return std::nullopt;
  return *port;
}

ServiceOptions default_service_options() {
  ServiceOptions o;
  o.port = port_of_address(QUOVI_DEFAULT_CATALOGUE_SERVICE).value_or(8741);
  const std::string data = installed_data_folder();
  o.catalogue = data + "/demo/channels.dat";
  o.media = data + "/demo/media";
  const char* data_home = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  const std::string user_data = data_home && *data_home ? data_home : std::string(home ? home : ".") + "/.local/share";
  o.database = user_data + "/quovi-service/feedback.sqlite";
  return o;
}

std::string service_usage(const ServiceOptions& d) {
  return "Usage: quovi-service [options]\n"
         "Serves the channel catalogue, records feedback and serves media files for " QUOVI_PRODUCT_NAME ".\n"
         "\n"
         "  --address ADDRESS   address to listen on (default " + d.address + ")\n"
         "  --port PORT         port to listen on, 0 for any free one (default " + std::to_string(d.port) + ")\n"
         "  --catalogue FILE    channels.dat to serve (default " + d.catalogue + ")\n"
         "  --database FILE     feedback database, created when missing (default " + d.database + ")\n"
         "  --media FOLDER      folder served under /media/, '' for none (default " + d.media + ")\n"
         "  --fresh-stamp       publish the catalogue stamped with the time it is read (at start, when the\n"
         "                      file changes, and again once a day) instead of its own stamp, so a client\n"
         "                      that downloaded it once is current: for the demo catalogue\n"
         "  --help              show this text\n"
         "\n"
         "Where the catalogue holds " + std::string(kServiceAddressToken) + " (the demo's own channels), each client gets\n"
         "the address it reached the service at.\n"
         "Prints 'listening on http://ADDRESS:PORT' once it accepts requests; stops on SIGINT or SIGTERM.\n";
}

ParsedOptions parse_service_options(const std::vector<std::string>& arguments, ServiceOptions o) {
  const ServiceOptions defaults = o;
  const auto fail = [](std::string message) { return ParsedOptions{std::nullopt, std::move(message), true}; };
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "--help" || a == "-h") return ParsedOptions{std::nullopt, service_usage(defaults), false};
    if (a == "--fresh-stamp") {
      o.fresh_stamp = true;
      continue;
    }
    std::string name = a;
    std::optional<std::string> value;
    if (const auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    }
    std::string* target = nullptr;
    if (name == "--address") target = &o.address;
    else if (name == "--catalogue") target = &o.catalogue;
    else if (name == "--database") target = &o.database;
    else if (name == "--media") target = &o.media;
    else if (name != "--port") return fail("unknown option '" + a + "'\n\n" + service_usage(defaults));
    if (!value) {
      if (i + 1 >= arguments.size()) return fail("option " + name + " needs a value");
      value = arguments[++i];
    }
    if (target) {
      *target = *value;
      continue;
    }
    const auto port = parse_decimal_int32(*value);
    if (!port || *port < 0 || *port > 65535) return fail("invalid port '" + *value + "'");
    o.port = *port;
  }
  if (o.address.empty()) return fail("the address is empty");
  if (o.catalogue.empty()) return fail("no catalogue file given");
  if (o.database.empty()) return fail("no database file given");
  return ParsedOptions{o, {}, false};
}
