// A preload library for running the Windows port under wine against a pseudo-terminal: a pty
// has no modem lines, so wine's serial layer fails to read them and every WaitCommEvent ends at
// once with an error. This library answers the modem-line requests on ptys as a port with a
// quiet far end would: DSR, CTS and carrier on, ring off, and DTR and RTS as last set. Every
// other request, and every request on another device, goes to the system unchanged.
//
//   LD_PRELOAD=libqmmodemlines.so wine program.exe
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>

namespace {

using IoctlFn = int (*)(int, unsigned long, ...);

// The lines the far end holds up, and the ones the program sets (shared by every pty, which is
// enough for one port per test).
constexpr int kFarEndLines = TIOCM_DSR | TIOCM_CTS | TIOCM_CD;
std::atomic<int> ownLines{0};

// Terminal ends of pseudo-terminals have the device majors 136..143 (/dev/pts).
bool IsPseudoTerminal(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned major = ::major(st.st_rdev);
  return major >= 136 && major <= 143;
}

IoctlFn RealIoctl() {
  static IoctlFn real = reinterpret_cast<IoctlFn>(dlsym(RTLD_NEXT, "ioctl"));
  return real;
}

bool IsModemRequest(unsigned long request) {
  return request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS ||
         request == TIOCMBIC;
}

int AnswerModemRequest(unsigned long request, int* bits) {
  if (bits == nullptr) {
    errno = EFAULT;
    return -1;
  }
  const int own = *bits & (TIOCM_DTR | TIOCM_RTS);
  switch (request) {
    case TIOCMGET:
      *bits = ownLines.load() | kFarEndLines;
      break;
    case TIOCMSET:
      ownLines.store(own);
      break;
    case TIOCMBIS:
      ownLines.fetch_or(own);
      break;
    case TIOCMBIC:
      ownLines.fetch_and(~own);
      break;
  }
  return 0;
}

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) {
  va_list args;
  va_start(args, request);
  void* argument = va_arg(args, void*);
  va_end(args);
  const int saved = errno;
  const int result = RealIoctl()(fd, request, argument);
  if (result == 0 || !IsModemRequest(request) || !IsPseudoTerminal(fd)) return result;
  errno = saved;
  return AnswerModemRequest(request, static_cast<int*>(argument));
}
