#include "scratch_postgres.h"

#include <fcntl.h>
#include <glob.h>
#include <grp.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace {
constexpr const char* kUser = "quovi";
constexpr const char* kPort = "5432";  // only names the socket file inside the private folder

// The bin folder of the newest PostgreSQL Debian has installed; empty when there is none.
std::string server_programs() {
  glob_t found{};
  std::vector<std::string> folders;
  if (glob("/usr/lib/postgresql/*/bin/initdb", 0, nullptr, &found) == 0)
    for (size_t i = 0; i < found.gl_pathc; ++i) folders.push_back(std::filesystem::path(found.gl_pathv[i]).parent_path());
  globfree(&found);
  const auto version = [](const std::string& bin) {
    return std::atoi(std::filesystem::path(bin).parent_path().filename().c_str());
  };
  std::sort(folders.begin(), folders.end(), [&](const auto& a, const auto& b) { return version(a) < version(b); });
  return folders.empty() ? std::string() : folders.back();
}

// Starts `argv` as uid/gid in `folder`, its output appended to `log`. Only async-signal-safe calls
// between fork and exec: the caller may have threads.
pid_t spawn(const std::vector<std::string>& argv, uid_t uid, gid_t gid, const std::string& folder,
            const std::string& log, bool die_with_parent) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (out < 0) return -1;
  const pid_t parent = getpid();
  const bool switch_user = uid != geteuid();
  const pid_t pid = fork();
  if (pid == 0) {
    if (switch_user && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) _exit(126);
    // Set after the user switch, which would clear it.
    if (die_with_parent && (prctl(PR_SET_PDEATHSIG, SIGINT) != 0 || getppid() != parent)) _exit(126);
    if (chdir(folder.c_str()) != 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) _exit(126);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out);
  return pid;
}

std::string tail_of(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  const std::string all = text.str();
  return all.size() > 1500 ? all.substr(all.size() - 1500) : all;
}

std::string connection_text(const std::string& folder, const std::string& database) {
  return "host=" + folder + " port=" + kPort + " user=" + kUser + " dbname=" + database;
}
}  // namespace

ScratchPostgres& ScratchPostgres::shared() {
  static ScratchPostgres server;
  return server;
}

ScratchPostgres::ScratchPostgres(bool durable) : bin_(server_programs()) {
  if (bin_.empty()) {
    problem_ = "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb); scripts/setup installs it";
    return;
  }
  if (!start(durable) && problem_.empty()) problem_ = "the PostgreSQL server did not start";
}

bool ScratchPostgres::start(bool durable) {
  uid_ = geteuid();
  gid_ = getegid();
  if (uid_ == 0) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) {
      problem_ = "running as root, and there is no user \"nobody\" to run PostgreSQL as";
      return false;
    }
    uid_ = nobody->pw_uid;
    gid_ = nobody->pw_gid;
  }
  char pattern[] = "/tmp/quovi-postgres-XXXXXX";
  if (!mkdtemp(pattern)) {
    problem_ = "cannot make a folder for PostgreSQL under /tmp";
    return false;
  }
  folder_ = pattern;
  if (chown(folder_.c_str(), uid_, gid_) != 0) {
    problem_ = "cannot hand " + folder_ + " to the user PostgreSQL runs as";
    return false;
  }
  const std::string log = folder_ + "/server.log";
  const std::string data = folder_ + "/data";

  const pid_t initdb = spawn({bin_ + "/initdb", "-D", data, "-U", kUser, "-A", "trust", "-E", "UTF8", "--locale=C",
                              "--no-sync", "--no-instructions"},
                             uid_, gid_, folder_, log, false);
  int status = 0;
  if (initdb < 0 || waitpid(initdb, &status, 0) != initdb || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    problem_ = "initdb failed: " + tail_of(log);
    return false;
  }
  std::vector<std::string> server{bin_ + "/postgres", "-D", data, "-k", folder_, "-p", kPort,
                                  "-c", "listen_addresses=", "-c", "max_connections=200", "-c", "shared_buffers=32MB"};
  if (!durable) server.push_back("-F");
  server_ = spawn(server, uid_, gid_, folder_, log, true);
  if (server_ < 0) {
    problem_ = "cannot start postgres";
    return false;
  }
  const std::string ping = connection_text(folder_, "postgres");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (PQping(ping.c_str()) != PQPING_OK) {
    if (waitpid(server_, &status, WNOHANG) == server_) {
      server_ = -1;
      problem_ = "the PostgreSQL server stopped: " + tail_of(log);
      return false;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      problem_ = "the PostgreSQL server did not answer within a minute: " + tail_of(log);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

ScratchPostgres::~ScratchPostgres() {
  if (server_ > 0) {
    kill(server_, SIGINT);  // fast shutdown: ends the sessions, stops at once
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (waitpid(server_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(server_, SIGKILL);
        waitpid(server_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  if (!folder_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
}

std::string ScratchPostgres::new_database() {
  if (!running()) return {};
  const std::string name = "feedback_" + std::to_string(++databases_);
  PGconn* conn = PQconnectdb(connection_text(folder_, "postgres").c_str());
  PGresult* result = PQexec(conn, ("CREATE DATABASE " + name).c_str());
  const bool made = PQresultStatus(result) == PGRES_COMMAND_OK;
  PQclear(result);
  PQfinish(conn);
  if (!made) return {};
  return "postgresql:///" + name + "?host=" + folder_ + "&port=" + kPort + "&user=" + kUser;
}
