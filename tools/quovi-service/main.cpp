// quovi-service: the catalogue and feedback service the player talks to, small enough to run on
// the user's own machine for the demo and in the tests, and several at once on one PostgreSQL
// database behind a reverse proxy for a real catalogue.
#include "catalogue_file.h"
#include "catalogue_publish.h"
#include "feedback_store.h"
#include "guarded_server.h"
#include "service_options.h"
#include "service_requests.h"

#include <httplib.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <thread>

namespace {
std::mutex log_mutex;

void log_line(const std::string& line) {
  std::lock_guard lock(log_mutex);
  std::cerr << line << std::endl;
}

std::string_view query_of(const httplib::Request& req) {
  const std::string_view target = req.target;
  const auto q = target.find('?');
  return q == std::string_view::npos ? std::string_view() : target.substr(q + 1);
}

// Request targets come from anyone; control characters must not reach the terminal or log file.
std::string printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

void send(const httplib::Request& req, httplib::Response& res, const ServiceReply& reply) {
  res.status = reply.status;
  res.set_content(reply.body, reply.content_type.c_str());
  if (reply.status != 200 || !reply.log_note.empty())
    log_line(std::to_string(reply.status) + " " + printable(req.target) +
             (reply.log_note.empty() ? "" : " - " + printable(reply.log_note)));
}

// Every open connection is a file descriptor; the soft limit (often 1024) would otherwise bound
// the connections long before the options do.
void allow_every_connection() {
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }
}

void install_routes(httplib::Server& server, CatalogueFile& catalogue, FeedbackStore& store,
                    const std::string& media) {
  server.Get("/service/get.php", [&catalogue](const httplib::Request& req, httplib::Response& res) {
    // The catalogue's own channels get the address this client used; the default when it is unusable.
    send(req, res, answer_download(catalogue, query_of(req), service_base_for_host(req.get_header_value("Host"), {})));
  });
  server.Get(R"(/service/(rate|flag|bad|new2)\.php)", [&store](const httplib::Request& req, httplib::Response& res) {
    send(req, res, answer_feedback(store, req.path, query_of(req)));
  });
  server.Get("/update.html", [](const httplib::Request& req, httplib::Response& res) {
    send(req, res, answer_update_page());
  });
  server.Get("/", [](const httplib::Request& req, httplib::Response& res) { send(req, res, answer_home_page()); });
  server.set_exception_handler([](const httplib::Request& req, httplib::Response& res, std::exception_ptr) {
    send(req, res, {500, "text/plain; charset=utf-8", "Internal error.\n", "unexpected exception"});
  });
  for (const auto& [ext, type] : {std::pair{"ogg", "audio/ogg"}, {"oga", "audio/ogg"}, {"ogv", "video/ogg"},
                                  {"webm", "video/webm"}, {"mp3", "audio/mpeg"}, {"m3u", "audio/x-mpegurl"}})
    server.set_file_extension_and_mimetype_mapping(ext, type);
  if (!media.empty()) {
    if (std::filesystem::is_directory(media))
      server.set_mount_point("/media", media);
    else
      log_line("warning: media folder " + media + " not found; /media/ serves nothing");
  }
}
}  // namespace

int main(int argc, char** argv) {
  // Stop signals are taken by a thread of their own so that the server can be stopped cleanly;
  // blocked before any other thread exists, so that every thread inherits the mask.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  const ServiceOptions defaults = default_service_options();
  const ParsedOptions parsed = parse_service_options(std::vector<std::string>(argv + 1, argv + argc), defaults);
  if (!parsed.options) {
    (parsed.error ? std::cerr : std::cout) << (parsed.error ? "quovi-service: " : "") << parsed.message
                                           << (parsed.error ? "\n" : "");
    return parsed.error ? 2 : 0;
  }
  ServiceOptions options = *parsed.options;
  if (!parsed.warning.empty()) log_line(parsed.warning);

  allow_every_connection();
  std::unique_ptr<FeedbackStore> store;
  try {
    if (!options.database_file.empty()) {
      std::string warning;
      options.database = read_database_location(options.database_file, warning);
      if (!warning.empty()) log_line("warning: " + warning);
    }
    if (!is_postgresql_location(options.database)) {
      std::error_code ec;
      const auto folder = std::filesystem::path(options.database).parent_path();
      if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    }
    // A connection for every worker, so that no request waits for another's.
    store = open_feedback_store(options.database, FeedbackStore::Mode::create, options.workers);
  } catch (const std::exception& e) {
    std::cerr << "quovi-service: " << e.what() << "\n";
    return 1;
  }
  ServerLimits limits;
  limits.workers = static_cast<size_t>(options.workers);
  limits.queue = static_cast<size_t>(options.queue);
  limits.door.max_connections = static_cast<size_t>(options.connections);
  limits.door.max_connections_per_client = static_cast<size_t>(options.connections_per_client);
  limits.door.read_timeout = std::chrono::seconds(options.read_timeout);
  GuardedServer server(limits, log_line);
  // The door refuses longer bodies already; this keeps the library's own bound the same.
  server.set_payload_max_length(limits.door.limits.body_bytes);
  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port(options.address);
  } else if (!server.bind_to_port(options.address, port)) {
    port = -1;
  }
  if (port <= 0) {
    std::cerr << "quovi-service: cannot listen on " << options.address << ":" << options.port << "\n";
    return 1;
  }
  server.widen_backlog(options.connections);

  PublishOptions publish;
  publish.fresh_stamp = options.fresh_stamp;
  publish.default_base = listening_base(options.address, port);
  // Read (and with --fresh-stamp, stamped) now, at the start.
  CatalogueFile catalogue(options.catalogue, publish);
  if (const auto first = catalogue.current(); !first.problem.empty())
    log_line("warning: no catalogue to serve yet: " + first.problem);
  install_routes(server, catalogue, *store, options.media);

  std::thread stopper([&server, &stop_signals] {
    int signal = 0;
    sigwait(&stop_signals, &signal);
    server.stop();
  });
  const std::string host = options.address.find(':') != std::string::npos ? "[" + options.address + "]" : options.address;
  std::cout << "listening on http://" << host << ":" << port << std::endl;
  const bool clean = server.serve();
  // After a stop signal this wakes nobody; when listening failed by itself it ends the stopper.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return clean ? 0 : 1;
}
