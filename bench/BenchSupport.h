// Pieces the link and transfer benchmarks share: the process CPU clock, a status view that
// shows nothing, the bare client's raw line, and the virtual scale run in a child process of its
// own so that its CPU time is not counted as the program's.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

#include "RawLine.h"
#include "base/StatusView.h"
#include "sim/VirtualScale.h"

namespace bench {

// User plus system CPU seconds of this process so far, all threads.
inline double ProcessCpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The terminal at `path` opened as the bare reference client uses it (see RawLine.h). Throws
// when it cannot be opened.
inline int OpenRawLine(const std::string& path) {
  const int fd = OpenRawTerminal(path.c_str());
  if (fd < 0) throw std::runtime_error("cannot open the line");
  return fd;
}

struct NoStatus : qm::StatusView {
  void SetStatusText(int, const std::string&, bool) override {}
  void SetSaveEnabled(bool) override {}
  void SetConnectState(bool, const std::string&) override {}
  void SetDisplayText(int, const std::string&) override {}
};

// Where the scale and the program run. On a virtual machine the scheduler moves the two between
// sharing one CPU and running on two, now and then and for a while; an exchange costs about
// twice as much apart as together, for every client. QM_BENCH_PLACE fixes the placement:
//   together  the benchmark and the scale on CPU 0
//   apart     the benchmark on CPU 0, the scale on CPU 1
//   (unset)   wherever the scheduler puts them
// Threads started later inherit their starter's placement.
enum class Side { Program, Scale };

inline const char* PlacementName() {
  const char* asked = std::getenv("QM_BENCH_PLACE");
  return asked != nullptr &&
                 (std::strcmp(asked, "together") == 0 || std::strcmp(asked, "apart") == 0)
             ? asked
             : "free";
}

// Pins the calling thread to its side's CPU as QM_BENCH_PLACE asks; false when it cannot.
inline bool Place(Side side) {
  const std::string placement = PlacementName();
  if (placement == "free") return true;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(placement == "apart" && side == Side::Scale ? 1 : 0, &set);
  return ::sched_setaffinity(0, sizeof set, &set) == 0;
}

// Whose child the scale's process is. On this kind of virtual machine a quick exchange between
// two processes runs measurably slower (about a quarter, seen with a bare C client) when one
// is the other's child, or has any second thread, than between unrelated processes.
// QM_BENCH_SCALE=orphan hands the scale's process to init, unrelated to the benchmark, as a
// real scale or a simulator started on its own is; unset (or "child"), it stays the
// benchmark's child.
inline bool ScaleOrphaned() {
  const char* asked = std::getenv("QM_BENCH_SCALE");
  return asked != nullptr && std::strcmp(asked, "orphan") == 0;
}

// The label of a run: the placement, and "orphan" when the scale is not the benchmark's child.
inline std::string RunLabel() {
  return std::string(PlacementName()) + (ScaleOrphaned() ? " orphan" : "");
}

// The virtual scale in a forked process, paced at `baud` (0: unpaced), set up by `setUp` in
// that process before its terminal's path is handed back. It runs until the benchmark lets it
// go (the destructor closes the hold pipe, and waits for the child when it is one).
class ChildScale {
 public:
  ChildScale(unsigned baud, const std::function<void(qmsim::VirtualScale&)>& setUp) {
    int path[2], hold[2];
    if (::pipe(path) != 0 || ::pipe(hold) != 0) throw std::runtime_error("pipe");
    const bool orphan = ScaleOrphaned();
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      // An orphan: the child's own child runs the scale and the child ends at once, so init
      // takes the scale over. The hold pipe still tells it when to end.
      if (orphan && ::fork() != 0) ::_exit(0);
      if (!Place(Side::Scale)) ::_exit(1);  // the parent then finds no path
      ::close(path[0]);
      ::close(hold[1]);
      {
        qmsim::VirtualScale scale(qmsim::VirtualScale::Options{.baud = baud});
        setUp(scale);
        const std::string line = scale.SlavePath() + "\n";
        if (::write(path[1], line.data(), line.size()) < 0) ::_exit(1);
        ::close(path[1]);
        char c;
        while (::read(hold[0], &c, 1) > 0) {
        }
      }
      ::_exit(0);
    }
    ::close(path[1]);
    ::close(hold[0]);
    hold_ = hold[1];
    if (orphan) {
      ::waitpid(pid_, nullptr, 0);  // the go-between; the scale goes on under init
      pid_ = -1;
    }
    char c;
    while (::read(path[0], &c, 1) == 1 && c != '\n') path_ += c;
    ::close(path[0]);
    if (path_.empty() || !Place(Side::Program)) {
      LetGo();
      throw std::runtime_error(path_.empty()
                                   ? "the virtual scale did not start (or could not be placed)"
                                   : "QM_BENCH_PLACE: cannot pin this process");
    }
  }
  ~ChildScale() { LetGo(); }
  ChildScale(const ChildScale&) = delete;
  ChildScale& operator=(const ChildScale&) = delete;
  const std::string& Path() const { return path_; }

 private:
  void LetGo() {
    ::close(hold_);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }

  pid_t pid_ = -1;
  int hold_ = -1;
  std::string path_;
};

}  // namespace bench
