#pragma once
#include <sys/types.h>

#include <string>

// A PostgreSQL server of the caller's own: a fresh cluster in a temporary folder, reached only
// through a Unix socket in that folder (it listens on no network address), stopped and removed
// when the object goes.
//
// PostgreSQL refuses to run as root, and the tests run as root on CI machines: then initdb and
// the server run as "nobody", switched to in the child process between fork and exec (as runuser
// would, without its PAM session). The server gets a parent-death signal there, so a test that
// dies leaves no server behind. The programs are Debian's (package "postgresql"), found under
// /usr/lib/postgresql/VERSION/bin.
class ScratchPostgres {
 public:
  // Durable: the server syncs its log at every commit as a real one does (for measurements);
  // otherwise it never syncs, since the cluster lives for one test program only.
  explicit ScratchPostgres(bool durable = false);
  ~ScratchPostgres();
  ScratchPostgres(const ScratchPostgres&) = delete;
  ScratchPostgres& operator=(const ScratchPostgres&) = delete;

  // One server for the whole test program, started on first use.
  static ScratchPostgres& shared();

  bool installed() const { return !bin_.empty(); }
  bool running() const { return server_ > 0 && problem_.empty(); }
  // Why the server is not running: not installed, or what went wrong starting it.
  const std::string& problem() const { return problem_; }

  // The "postgresql://" URI of a new, empty database on the server; empty when not running.
  std::string new_database();

 private:
  bool start(bool durable);

  std::string bin_;
  std::string folder_;
  std::string problem_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  pid_t server_ = -1;
  int databases_ = 0;
};
