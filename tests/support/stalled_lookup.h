#pragma once
#include <QByteArray>

// Name lookups that hang. In a process with the stand-in resolver preloaded
// (tests/support/stalling_resolver.cpp), a lookup of kStallingHost sleeps for seconds, as with a
// DNS server that does not answer.
inline constexpr char kStallingHost[] = "stall.invalid";

// An address on the stalling host.
QByteArray stalling_url(const char* path = "/");

// Lookups of kStallingHost begun so far in this process; -1 in a process without the stand-in.
int stalled_lookups();

// True in a process that has the stand-in resolver. Anywhere else, runs the current test again in
// a child process that has it, reports the child's failures as this test's, and answers false;
// a test starts with `if (!run_with_stalling_resolver()) return;`.
bool run_with_stalling_resolver();

// Runs the event loop until more than `before` lookups of kStallingHost have begun.
bool wait_for_stalled_lookup(int before, int milliseconds = 5000);
