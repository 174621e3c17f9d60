// Hand-made HTTP from a chosen loopback address, for tests that must look like a second client
// (127.0.0.2) or send what no HTTP library would: slow, partial or oversize requests.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace vorenn::server::test {

// A connection to the server on 127.0.0.1:port from `from`, with receive and send time-outs of
// `timeoutSeconds`; -1 when it cannot connect.
int ConnectFrom(int port, const char* from, int timeoutSeconds = 10);

// Everything the server sends until it closes or stays silent for the receive time-out.
std::string ReadAll(int fd);

// Sends one form POST to /game/do.php from `from` (the connection closes after its answer); the
// connection, or -1 when it cannot connect. AnswerBody reads the answer's body ("" when none came
// within the time-out) and closes it.
int SendFrom(int port, const char* from, const std::string& form, int timeoutSeconds = 10,
             const std::string& extraHeaders = "");
std::string AnswerBody(int fd);

// One whole form POST to /game/do.php from `from`; the answer's body, or "" when none came within
// the time-out.
std::string PostFrom(int port, const char* from, const std::string& form, int timeoutSeconds = 10,
                     const std::string& extraHeaders = "");

// `count` connections from 127.0.0.2 that send a request line and then one header byte every
// `interval` on a thread of their own, until Stop (or destruction). Connections that cannot be made
// are left out of `fds`; the caller closes the descriptors.
class HeaderDrip {
 public:
  HeaderDrip(int port, int count, std::chrono::milliseconds interval, int timeoutSeconds);
  ~HeaderDrip() { Stop(); }
  HeaderDrip(const HeaderDrip&) = delete;
  HeaderDrip& operator=(const HeaderDrip&) = delete;
  void Stop();
  const std::vector<int>& fds() const { return fds_; }

 private:
  std::vector<int> fds_;
  std::atomic<bool> dripping_{true};
  std::thread thread_;
};

}  // namespace vorenn::server::test
