// A stand-in for getaddrinfo, preloaded (LD_PRELOAD) into test and benchmark processes that need a
// name lookup which hangs the way a dead DNS server makes it hang. Lookups of "stall.invalid" sleep
// for QUOVI_STALL_SECONDS (5 unless set) and then fail; every other name goes to the C library.
#include <dlfcn.h>
#include <netdb.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {
std::atomic<int> begun{0};

unsigned stall_seconds() {
  const char* text = std::getenv("QUOVI_STALL_SECONDS");
  const int seconds = text ? std::atoi(text) : 0;
  return seconds > 0 ? static_cast<unsigned>(seconds) : 5u;
}
}  // namespace

extern "C" {
// Lookups of the stalling name begun so far; a test waits for a new one before it acts. Also tells
// a process that the stand-in is loaded.
__attribute__((visibility("default"))) int quovi_stalled_lookups() { return begun.load(); }

__attribute__((visibility("default"))) int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                                                       addrinfo** result) {
  if (node && std::strcmp(node, "stall.invalid") == 0) {
    ++begun;
    sleep(stall_seconds());
    return EAI_AGAIN;
  }
  using Real = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
  return real(node, service, hints, result);
}
}
