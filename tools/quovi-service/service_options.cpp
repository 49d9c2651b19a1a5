#include "service_options.h"

#include "catalogue_publish.h"
#include "database_location.h"
#include "feedback_query.h"
#include "version.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef QUOVI_SERVICE_DATA_SUBDIR
#define QUOVI_SERVICE_DATA_SUBDIR "share/quovi"
#endif

namespace {
struct NumberOption {
  const char* name;
  const char* what;
  int ServiceOptions::*field;
  int min;
  int max;
};
constexpr NumberOption kNumbers[] = {
    {"--port", "port", &ServiceOptions::port, 0, 65535},
    {"--workers", "number of workers", &ServiceOptions::workers, 1, 1024},
    {"--queue", "queue length", &ServiceOptions::queue, 0, 100000},
    {"--connections", "number of connections", &ServiceOptions::connections, 1, 100000},
    {"--connections-per-client", "number of connections per client", &ServiceOptions::connections_per_client, 0,
     100000},
    {"--read-timeout", "read timeout", &ServiceOptions::read_timeout, 1, 3600},
};

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
  const char* named = std::getenv(kDatabaseVariable);
  o.database = named && *named ? named : user_data + "/quovi-service/feedback.sqlite";
  return o;
}

std::string service_usage(const ServiceOptions& d) {
  return "Usage: quovi-service [options]\n"
         "Serves the channel catalogue, records feedback and serves media files for " QUOVI_PRODUCT_NAME ".\n"
         "\n"
         "  --address ADDRESS   address to listen on (default " + d.address + ")\n"
         "  --port PORT         port to listen on, 0 for any free one (default " + std::to_string(d.port) + ")\n"
         "  --catalogue FILE    channels.dat to serve (default " + d.catalogue + ")\n"
         "  --database FILE|URI feedback database: an SQLite file, created when missing, or a PostgreSQL\n"
         "                      database as postgresql://[USER@]HOST[:PORT]/NAME, which several services\n"
         "                      may share (default " + printable_location(d.database) + ")\n"
         "  --database-file F   the --database value from the first line of the file F, which only the\n"
         "                      service should read: on the command line a password can be read by every\n"
         "                      user of the computer. Without either option: the environment variable\n"
         "                      " + kDatabaseVariable + ", else the default above\n"
         "  --media FOLDER      folder served under /media/, '' for none (default " + d.media + ")\n"
         "  --workers N         requests served at once (default " + std::to_string(d.workers) + ")\n"
         "  --queue N           complete requests waiting for a worker; more are answered 503 (default " +
         std::to_string(d.queue) + ")\n"
         "  --connections N     connections still sending their request; more are answered 503 (default " +
         std::to_string(d.connections) + ")\n"
         "  --connections-per-client N\n"
         "                      as many from one client address (an IPv6 client: its /64); 0 for no bound,\n"
         "                      behind a proxy whose connections all come from one address (default " +
         std::to_string(d.connections_per_client) + ")\n"
         "  --read-timeout S    seconds a request may take to arrive whole; later: 408 (default " +
         std::to_string(d.read_timeout) + ")\n"
         "  --fresh-stamp       publish the catalogue stamped with the time it is read (at start, when the\n"
         "                      file changes, and again once a day) instead of its own stamp, so a client\n"
         "                      that downloaded it once is current: for the demo catalogue\n"
         "  --help              show this text\n"
         "\n"
         "A request line longer than 8 KiB is answered 414; a header line longer than 8 KiB, more than 100\n"
         "header lines or 16 KiB of them 431; a body longer than 64 KiB 413; none of these is recorded.\n"
         "Where the catalogue holds " + std::string(kServiceAddressToken) + " (the demo's own channels), each client gets\n"
         "the address it reached the service at.\n"
         "Prints 'listening on http://ADDRESS:PORT' once it accepts requests; stops on SIGINT or SIGTERM.\n";
}

ParsedOptions parse_service_options(const std::vector<std::string>& arguments, ServiceOptions o) {
  const ServiceOptions defaults = o;
  const auto fail = [](std::string message) { return ParsedOptions{std::nullopt, std::move(message), true, {}}; };
  std::string warning;
  bool database_given = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "--help" || a == "-h") return ParsedOptions{std::nullopt, service_usage(defaults), false, {}};
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
    const NumberOption* number = nullptr;
    if (name == "--address") target = &o.address;
    else if (name == "--catalogue") target = &o.catalogue;
    else if (name == "--database") target = &o.database;
    else if (name == "--database-file") target = &o.database_file;
    else if (name == "--media") target = &o.media;
    else if (const auto it = std::find_if(std::begin(kNumbers), std::end(kNumbers),
                                          [&name](const NumberOption& n) { return name == n.name; });
             it != std::end(kNumbers))
      number = it;
    else
      // The name alone: what follows an '=' may be a password given to a misspelt option.
      return fail("unknown option '" + name + "'\n\n" + service_usage(defaults));
    if (!value) {
      if (i + 1 >= arguments.size()) return fail("option " + name + " needs a value");
      value = arguments[++i];
    }
    if (target) {
      *target = *value;
      if (name == "--database" || name == "--database-file") {
        if (database_given) return fail("give --database or --database-file, once");
        if (value->empty()) return fail("option " + name + " needs a value");
        database_given = true;
      }
      if (name == "--database" && carries_password(*value))
        warning = "warning: the password in --database can be read by every user of this computer; give it with "
                  "--database-file or " + std::string(kDatabaseVariable) + " instead";
      continue;
    }
    const auto parsed_number = parse_decimal_int32(*value);
    if (!parsed_number || *parsed_number < number->min || *parsed_number > number->max)
      return fail("invalid " + std::string(number->what) + " '" + *value + "' (" + std::to_string(number->min) +
                  " to " + std::to_string(number->max) + ")");
    o.*(number->field) = *parsed_number;
  }
  if (o.address.empty()) return fail("the address is empty");
  if (o.catalogue.empty()) return fail("no catalogue file given");
  if (o.database.empty()) return fail("no feedback database given");
  return ParsedOptions{o, {}, false, warning};
}
