#pragma once
#include <string>

// A connection of the test's own to 127.0.0.1:port, for requests no HTTP client would send:
// sent a piece at a time, or without end. `from` is the loopback address it comes from (another
// client than 127.0.0.1: "127.0.0.2"); the system's choice when null.
class RawConnection {
 public:
  explicit RawConnection(int port, const char* from = nullptr);
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return fd_ >= 0; }
  // False once the server no longer takes bytes (it closed or reset the connection).
  bool send(const std::string& bytes);
  // What arrived, waiting up to `milliseconds` for something; then whatever follows without a pause.
  std::string receive(int milliseconds);
  // True once the server has closed its side and everything it sent was received.
  bool ended() const { return ended_; }

 private:
  int fd_ = -1;
  bool ended_ = false;
};

// Sends `bytes` while reading what comes back, as a client that does not wait for its request to
// be taken; stops when the server ends the connection or is silent for two seconds. Answers
// what came back.
std::string exchange_while_sending(int port, const std::string& bytes, const char* from = nullptr);

// The status of an HTTP reply ("HTTP/1.1 431 ..." gives 431); 0 when it is none.
int status_of(const std::string& reply);
