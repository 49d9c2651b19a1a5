#pragma once
#include <optional>
#include <string>
#include <vector>

struct ServiceOptions {
  std::string address = "127.0.0.1";
  int port = 0;             // 0: any free port (the chosen one is printed)
  std::string catalogue;    // the channels.dat served to clients
  std::string database;     // the feedback database: an SQLite file (created when missing) or a
                            // "postgresql://" URI (tables created when missing)
  std::string database_file;  // a file holding `database` on its first line (read_database_location)
  std::string media;        // folder served under /media/; empty: none
  int workers = 8;          // requests served at once
  int queue = 64;           // complete requests waiting for a worker; one more is answered 503
  int connections = 512;    // connections still sending their request; one more is answered 503
  int connections_per_client = 32;  // as many from one client address; 0: no bound per client
  int read_timeout = 10;    // seconds from a connection's opening until its request has arrived whole
  bool fresh_stamp = false; // publish the catalogue stamped when it is read (PublishOptions)
};

// The environment variable naming the feedback database when no option does, so that a password
// in it need not be on the command line, where every user of the computer can read it.
inline constexpr const char* kDatabaseVariable = "QUOVI_DATABASE";

// Defaults: the program's default service port, the demo catalogue and media installed beside
// the service, and the feedback database QUOVI_DATABASE names, else one in the user's data folder.
ServiceOptions default_service_options();

struct ParsedOptions {
  std::optional<ServiceOptions> options;  // nothing: do not start (help shown, or an error)
  std::string message;                    // help text, or the error
  bool error = false;
  std::string warning;                    // for the log: an option that works but should not be used so
};

ParsedOptions parse_service_options(const std::vector<std::string>& arguments, ServiceOptions defaults);

std::string service_usage(const ServiceOptions& defaults);

// The port of an "http://host:port" address; 80 when it names none; nothing when malformed.
std::optional<int> port_of_address(const std::string& url);
