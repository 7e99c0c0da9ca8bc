#include "sim/Pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace qmsim {
namespace {

[[noreturn]] void Fail(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

Pty::Pty() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) Fail("posix_openpt");
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    int e = errno;
    ::close(master_);
    errno = e;
    Fail("grantpt/unlockpt");
  }
  char name[128];
  if (ptsname_r(master_, name, sizeof name) != 0) {
    int e = errno;
    ::close(master_);
    errno = e;
    Fail("ptsname_r");
  }
  slavePath_ = name;
  slaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slaveKeep_ < 0) {
    int e = errno;
    ::close(master_);
    errno = e;
    Fail("open pty terminal end");
  }
  termios tio{};
  if (tcgetattr(slaveKeep_, &tio) == 0) {
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tcsetattr(slaveKeep_, TCSANOW, &tio);
  }
  int fl = fcntl(master_, F_GETFL);
  fcntl(master_, F_SETFL, fl | O_NONBLOCK);
}

Pty::~Pty() {
  if (!linkPath_.empty()) {
    std::vector<char> target(slavePath_.size() + 2);
    ssize_t n = ::readlink(linkPath_.c_str(), target.data(), target.size());
    if (n == static_cast<ssize_t>(slavePath_.size()) &&
        slavePath_.compare(0, slavePath_.size(), target.data(), n) == 0)
      ::unlink(linkPath_.c_str());
  }
  CloseMaster();
  if (slaveKeep_ >= 0) ::close(slaveKeep_);
}

void Pty::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

void Pty::LinkAt(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      errno = EEXIST;
      Fail("link path exists and is no symbolic link");
    }
    if (::unlink(path.c_str()) != 0) Fail("unlink old link");
  }
  if (::symlink(slavePath_.c_str(), path.c_str()) != 0) Fail("symlink");
  linkPath_ = path;
}

}  // namespace qmsim
