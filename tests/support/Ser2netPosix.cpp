#include "Ser2net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace qmtest {

namespace {

// Ends the server: asked to stop, it normally goes at once, but it may sit in its shutdown
// waiting for a line that will not drain; a test must not wait for it forever.
void Stop(pid_t pid) {
  ::kill(pid, SIGTERM);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

namespace {

std::string FindProgram() {
  std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  path += ":/usr/sbin:/sbin:/usr/local/sbin";
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    const std::string candidate = dir + "/ser2net";
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::string();
}

// Whether /proc/net/tcp shows a listening socket on 127.0.0.1:port.
bool Listening(std::uint16_t port) {
  std::ifstream table("/proc/net/tcp");
  char wanted[16];
  std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    fields >> slot >> local >> remote >> state;
    if (local == wanted && state == "0A") return true;
  }
  return false;
}

}  // namespace

std::uint16_t FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    throw std::runtime_error("no free loopback port");
  }
  ::close(fd);
  return ntohs(a.sin_port);
}

std::string Ser2net::MissingReason() {
  if (FindProgram().empty()) {
    return "ser2net is not installed (Debian package ser2net, see scripts/deps.sh)";
  }
  return std::string();
}

Ser2net::Ser2net(const std::string& device, bool charDelay) {
  const std::string program = FindProgram();
  if (program.empty()) throw std::runtime_error(MissingReason());
  char pattern[] = "/tmp/qm-ser2net-XXXXXX";
  if (!::mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
  dir_ = pattern;
  rawPort_ = FreeLoopbackPort();
  telnetPort_ = FreeLoopbackPort();
  plainPort_ = FreeLoopbackPort();
  const std::string options = std::string("  options:\n    kickolduser: true\n    mdns: false\n") +
                              "    chardelay: " + (charDelay ? "true" : "false") + "\n";
  std::ofstream(dir_ + "/ser2net.yaml")
      << "connection: &raw\n  accepter: tcp,127.0.0.1," << rawPort_ << "\n"
      << "  connector: serialdev," << device << ",9600n81,local\n"
      << options << "connection: &rfc2217\n  accepter: telnet(rfc2217),tcp,127.0.0.1,"
      << telnetPort_ << "\n  connector: serialdev," << device << ",9600n81,local\n"
      << options << "connection: &telnet\n  accepter: telnet,tcp,127.0.0.1," << plainPort_
      << "\n  connector: serialdev," << device << ",9600n81,local\n"
      << options;

  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    const int log = ::open((dir_ + "/log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(log, 1);
    ::dup2(log, 2);
    const std::string config = dir_ + "/ser2net.yaml";
    const std::string pidFile = dir_ + "/pid";
    ::execl(program.c_str(), "ser2net", "-n", "-u", "-P", pidFile.c_str(), "-c", config.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // The server is a process of its own: wait for it on the real clock (bounded), looking for its
  // listening sockets so that no connection is made to it before the test's own.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!(Listening(rawPort_) && Listening(telnetPort_) && Listening(plainPort_))) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("ser2net ended at once: " + Log());
    }
    if (std::chrono::steady_clock::now() > deadline) {
      Stop(pid_);
      pid_ = -1;
      throw std::runtime_error("ser2net does not listen: " + Log());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

Ser2net::~Ser2net() {
  if (pid_ > 0) Stop(pid_);
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string Ser2net::Log() const {
  std::ifstream in(dir_ + "/log");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace qmtest
