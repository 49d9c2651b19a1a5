// quovi-service: the catalogue and feedback service the player talks to, small enough to run on
// the user's own machine for the demo and in the tests, and several at once on one PostgreSQL
// database behind a reverse proxy for a real catalogue.
#include "catalogue_file.h"
#include "catalogue_publish.h"
#include "feedback_store.h"
#include "guarded_server.h"
#include "media_files.h"
#include "service_options.h"
#include "service_requests.h"

#include <httplib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
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

// Serves the file from the descriptor opened for it, never by its name again.
void send_media_file(const httplib::Request& req, httplib::Response& res, const MediaFolder& media) {
  const auto file = media.open(req.matches[1].str());
  if (!file) {
    send(req, res, {404, "text/plain; charset=utf-8", "Not found.\n", {}});
    return;
  }
  // The status is left to the library: 200, or 206 for a range.
  if (file->size() == 0) {
    // The library gives a reply without content no length, and the client would wait for more.
    res.set_content(std::string(), media_type_of(req.path));
    return;
  }
  res.set_content_provider(file->size(), media_type_of(req.path),
                           [file = *file](size_t offset, size_t length, httplib::DataSink& sink) {
                             char buffer[64 * 1024];
                             while (length > 0) {
                               const ssize_t n = pread(file.fd(), buffer, std::min(length, sizeof buffer),
                                                       static_cast<off_t>(offset));
                               if (n < 0 && errno == EINTR) continue;
                               // Shorter than it was: the file changed under the reply, which cannot go on.
                               if (n <= 0 || !sink.write(buffer, static_cast<size_t>(n))) return false;
                               offset += static_cast<size_t>(n);
                               length -= static_cast<size_t>(n);
                             }
                             return true;
                           });
}

void install_routes(httplib::Server& server, CatalogueFile& catalogue, FeedbackStore& store,
                    const MediaFolder* media) {
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
  if (media)
    server.Get("/media/(.*)", [media](const httplib::Request& req, httplib::Response& res) {
      send_media_file(req, res, *media);
    });
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
  std::optional<MediaFolder> media;
  if (!options.media.empty()) {
    media.emplace(options.media);
    if (!media->usable()) {
      log_line("warning: media folder " + options.media + " not found; /media/ serves nothing");
      media.reset();
    }
  }
  install_routes(server, catalogue, *store, media ? &*media : nullptr);

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
