#include "shell/termination_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {
int pipe_ends[2] = {-1, -1};

struct Installed {
  int signal;
  struct sigaction before;
};
std::vector<Installed> installed;

// Only async-signal-safe calls here: one byte into the pipe. A full pipe already holds a wake-up.
void on_signal(int signal) {
  const int saved_errno = errno;
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(pipe_ends[1], &byte, 1);
  errno = saved_errno;
}
}  // namespace

TerminationSignals::TerminationSignals(std::initializer_list<int> signals, QObject* parent) : QObject(parent) {
  if (pipe_ends[0] >= 0 || ::pipe2(pipe_ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = new QSocketNotifier(pipe_ends[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);
  for (const int signal : signals) {
    struct sigaction action = {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    Installed entry{signal, {}};
    if (::sigaction(signal, &action, &entry.before) == 0) installed.push_back(entry);
  }
}

TerminationSignals::~TerminationSignals() {
  if (!notifier_) return;
  for (const Installed& entry : installed) ::sigaction(entry.signal, &entry.before, nullptr);
  installed.clear();
  delete notifier_;
  ::close(pipe_ends[0]);
  ::close(pipe_ends[1]);
  pipe_ends[0] = pipe_ends[1] = -1;
}

// Signals that arrived together are one request to end.
void TerminationSignals::drain() {
  unsigned char bytes[16];
  int first = 0;
  ssize_t count;
  while ((count = ::read(pipe_ends[0], bytes, sizeof bytes)) > 0)
    if (first == 0) first = bytes[0];
  if (first != 0) Q_EMIT received(first);
}
