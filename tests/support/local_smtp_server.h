// A local SMTP server for tests: Debian's aiosmtpd on 127.0.0.1 at a free port, saving each
// message it receives as received/message<N>.eml (and its envelope as envelope<N>.txt) in the
// given folder. error() is empty once it accepts connections; it is stopped when the object goes.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "test_host.h"

namespace testing_support {

class LocalSmtpServer {
 public:
  explicit LocalSmtpServer(const std::string& dir) : dir_(dir) {
    std::ofstream(dir + "/vostra_saver.py") << R"(import os
class Saver:
    async def handle_DATA(self, server, session, envelope):
        folder = os.environ['VOSTRA_SMTP_DIR']
        n = len([f for f in os.listdir(folder) if f.endswith('.eml')])
        with open(os.path.join(folder, 'envelope%d.txt' % n), 'w') as f:
            f.write(envelope.mail_from + '\n' + '\n'.join(envelope.rcpt_tos) + '\n')
        path = os.path.join(folder, 'message%d' % n)
        with open(path + '.tmp', 'wb') as f:
            f.write(envelope.original_content or envelope.content)
        os.rename(path + '.tmp', path + '.eml')
        return '250 Message accepted'
)";
    std::filesystem::create_directories(dir + "/received");
    port_ = FreePort();
    if (port_ <= 0) {
      error_ = "no free port on 127.0.0.1";
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setenv("PYTHONPATH", dir.c_str(), 1);
      ::setenv("VOSTRA_SMTP_DIR", (dir + "/received").c_str(), 1);
      std::string listen = "127.0.0.1:" + std::to_string(port_);
      std::string log = dir + "/aiosmtpd.log";
      std::FILE* out = std::freopen(log.c_str(), "w", stderr);
      (void)out;
      ::execl("/usr/bin/python3", "python3", "-m", "aiosmtpd", "-n", "-l", listen.c_str(), "-c",
              "vostra_saver.Saver", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    if (pid_ < 0) {
      error_ = "fork failed";
      return;
    }
    // Wait until it accepts connections (at most 20 s).
    for (int i = 0; i < 200; ++i) {
      if (Accepts()) return;
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        error_ = "aiosmtpd ended at start: " + testing_support::TestHost::ReadFile(dir + "/aiosmtpd.log");
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    error_ = "aiosmtpd did not accept connections within 20 s";
  }
  ~LocalSmtpServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      for (int i = 0; i < 50 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (::waitpid(pid_, &status, WNOHANG) == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
      }
    }
  }
  const std::string& error() const { return error_; }
  int port() const { return port_; }
  std::string received() const { return dir_ + "/received"; }

 // A port on 127.0.0.1 that nothing listens on just now.
  static int FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = -1;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port = ntohs(address.sin_port);
    ::close(fd);
    return port;
  }
 private:
  bool Accepts() const {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
  }
  std::string dir_;
  std::string error_;
  int port_ = -1;
  pid_t pid_ = -1;
};

}  // namespace testing_support
