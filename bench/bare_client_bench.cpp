// Our whole-table transfers against a bare blocking client on the same line: the reference for
// what the program adds to each exchange. The program side is qmctl's (the serial port with its
// event thread, the headless loop with the 100 ms timer, the link, the session); the bare client
// opens the terminal with plain open/termios and makes the same exchanges with blocking writes
// and reads, without an event thread. Both run in this process, in alternation (with the port
// and loop alone as a third; the order turns every round), against one unpaced virtual scale in
// a process of its own (this one's child, or unrelated with QM_BENCH_SCALE=orphan), so the figures
// are the program's alone.
//
// Counters, medians over the rounds (5; QM_BENCH_ROUNDS=N asks for more on a noisy machine),
// after one round that is not counted; the label names the placement (QM_BENCH_PLACE) and says
// "orphan" when the scale is not this process's child (QM_BENCH_SCALE):
//   vs_bare            our time / the bare client's time for the same exchanges
//   port_vs_bare       the same for the serial port and the headless loop alone, making the
//                      exchanges without the link and the session: the part of vs_bare that the
//                      port layer owns, the rest being the link's and the session's own work
//   best_vs_best       our fastest round / the bare client's fastest round: on a machine whose
//                      pseudo-terminal sometimes slows every exchange for a whole round (seen
//                      here on a virtual machine, for the bare client too), the figure that
//                      such a round cannot move
//   ours_s, bare_s     seconds for the whole case (opening the line included)
//   cpu_vs_bare        our CPU time / the bare client's
//   calls_per_x        system calls per exchange, ours (every thread of this process)
//   bare_calls_per_x   the same for the bare client
//   wakeups_per_x      thread wake-ups per exchange, ours: voluntary context switches of every
//                      thread of this process, i.e. how often a thread blocked and was woken
//   bare_wakeups_per_x the same for the bare client
// System calls are counted with the kernel's raw_syscalls:sys_enter tracepoint (perf events);
// where that is not allowed they read -1.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "BenchTables.h"
#include "SessionCases.h"
#include "port/ComPort.h"
#include "port/HeadlessLoop.h"
#include "sim/VirtualScale.h"

namespace {

using bench::ChildScale;
using bench::Median;
using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kAddress = 1;

using Case = bench::TableCase;

// What one case sends and gets back per exchange, besides address, echo and status.
struct Shape {
  std::uint8_t command;
  int numberBytes;  // reads: the record number's width; writes: 0 (the record follows)
  int sendBytes;    // bytes after the command
  int replyBytes;   // after the acknowledgement
};

Shape ShapeOf(Case c) {
  switch (c) {
    case Case::ReadPlu:
      return {0x81, 4, 4, 100};
    case Case::WritePlu:
      return {0x82, 0, 83, 0};
    case Case::ReadMessages:
      return {0x83, 2, 2, 400};
  }
  return {};
}

// System calls of this thread and of the threads it starts from now on; a thread's calls are
// added when it ends. -1 when the kernel does not let us count.
class SyscallCounter {
 public:
  SyscallCounter() {
    std::ifstream idFile("/sys/kernel/tracing/events/raw_syscalls/sys_enter/id");
    if (!idFile) idFile.open("/sys/kernel/debug/tracing/events/raw_syscalls/sys_enter/id");
    long long id = -1;
    if (!(idFile >> id)) return;
    perf_event_attr attr{};
    attr.type = PERF_TYPE_TRACEPOINT;
    attr.size = sizeof attr;
    attr.config = static_cast<unsigned long long>(id);
    attr.disabled = 1;
    attr.inherit = 1;
    fd_ = static_cast<int>(::syscall(SYS_perf_event_open, &attr, 0, -1, -1, PERF_FLAG_FD_CLOEXEC));
  }
  ~SyscallCounter() {
    if (fd_ >= 0) ::close(fd_);
  }
  void Start() {
    if (fd_ < 0) return;
    ::ioctl(fd_, PERF_EVENT_IOC_RESET, 0);
    ::ioctl(fd_, PERF_EVENT_IOC_ENABLE, 0);
  }
  long long Stop() {
    if (fd_ < 0) return -1;
    ::ioctl(fd_, PERF_EVENT_IOC_DISABLE, 0);
    long long n = 0;
    return ::read(fd_, &n, sizeof n) == sizeof n ? n : -1;
  }

 private:
  int fd_ = -1;
};

struct Usage {
  double cpu = 0;         // user + system seconds, every thread of the process
  long long wakeups = 0;  // voluntary context switches
  static Usage Now() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return {u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6,
            u.ru_nvcsw};
  }
};

struct Run {
  double wall = 0, cpu = 0;
  long long calls = 0, wakeups = 0;
};

// Measures `body` (which must join every thread it starts before it returns).
template <typename Body>
Run Measure(Body&& body) {
  SyscallCounter counter;
  const Usage u0 = Usage::Now();
  counter.Start();
  const auto t0 = Clock::now();
  body();
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const long long calls = counter.Stop();
  const Usage u1 = Usage::Now();
  return {wall, u1.cpu - u0.cpu, calls, u1.wakeups - u0.wakeups};
}

// The program's side: qmctl's session on the line, one whole-table transfer, made ready before
// the measurement.
Run Ours(Case c, const std::string& path, int records) {
  bench::SessionCase session(c, path, records);
  return Measure([&] { session.Run(); });
}

// The serial port and the headless loop alone: the same exchanges through Write, InputCount
// polled while the loop waits, and Read, as the link makes them, without the link's rules and
// the session's records.
void PortAndLoop(Case c, const std::string& path, int records) {
  qm::HeadlessLoop loop;
  qm::TComPort port;
  port.SetDeviceResolver([&](qm::TPortType) { return path; });
  port.SetDispatcher(&loop.Dispatcher());
  port.SetSyncMethod(qm::TSyncMethod::smWindow);
  port.OnRxChar = [](qm::TComPort&, std::int32_t) {};
  loop.StartTimer();
  port.Open();
  const Shape s = ShapeOf(c);
  std::string command(1 + s.sendBytes, '\0');
  command[0] = static_cast<char>(s.command);
  const std::string address(1, static_cast<char>(kAddress));
  std::string in;
  auto take = [&](std::uint32_t n) {
    while (port.InputCount() < n) loop.ProcessPendingEvents();
    port.Read(in, n, true);
  };
  for (int k = 1; k <= records; ++k) {
    port.Write(address, true);
    take(2);
    if (in[0] != static_cast<char>(kAddress) || in[1] != '\x80') {
      throw std::runtime_error("scale not ready");
    }
    for (int i = 0; i < s.numberBytes; ++i) command[1 + i] = static_cast<char>(k >> (8 * i));
    if (s.numberBytes == 0) command[1] = static_cast<char>(k);
    port.Write(command, true);
    take(static_cast<std::uint32_t>(1 + s.replyBytes));
    if (in[0] != '\xAA') throw std::runtime_error("not acknowledged");
  }
  port.Close();
}

// The bare client: the same exchanges with blocking reads and writes on the terminal.
void Bare(Case c, const std::string& path, int records) {
  const int fd = bench::OpenRawLine(path);
  char buffer[512];
  auto readExactly = [&](int n) {
    int have = 0;
    while (have < n) {
      const ssize_t got = ::read(fd, buffer + have, n - have);
      if (got <= 0) throw std::runtime_error("line closed");
      have += static_cast<int>(got);
    }
  };
  const Shape s = ShapeOf(c);
  std::string command(1 + s.sendBytes, '\0');
  command[0] = static_cast<char>(s.command);
  for (int k = 1; k <= records; ++k) {
    if (::write(fd, &kAddress, 1) != 1) throw std::runtime_error("write");
    readExactly(2);
    if (buffer[0] != static_cast<char>(kAddress) || buffer[1] != '\x80') {
      throw std::runtime_error("scale not ready");
    }
    for (int i = 0; i < s.numberBytes; ++i) command[1 + i] = static_cast<char>(k >> (8 * i));
    if (s.numberBytes == 0) command[1] = static_cast<char>(k);  // some record bytes
    if (::write(fd, command.data(), command.size()) != static_cast<ssize_t>(command.size())) {
      throw std::runtime_error("write");
    }
    readExactly(1 + s.replyBytes);
    if (buffer[0] != '\xAA') throw std::runtime_error("not acknowledged");
  }
  ::close(fd);
}

// args: case, records
void BM_VersusBareClient(benchmark::State& st) {
  const Case c = static_cast<Case>(st.range(0));
  const int records = static_cast<int>(st.range(1));
  const ChildScale scale = bench::ScaleFor(c, records);
  std::vector<double> ratio, portRatio, ours, bare, cpuRatio, calls, bareCalls, wakeups,
      bareWakeups;
  Run o, b, p;
  // The three take turns at going first, so that none always finds the scale just woken.
  const std::function<void()> runs[3] = {
      [&] { o = Ours(c, scale.Path(), records); },
      [&] { b = Measure([&] { Bare(c, scale.Path(), records); }); },
      [&] { p = Measure([&] { PortAndLoop(c, scale.Path(), records); }); }};
  // One round that counts for nothing first: the first run after the scale started pays for
  // the cold start of both processes (the scale's table growing on the first write, this
  // process's first allocations and calls), and it would always be ours.
  for (const auto& run : runs) run();
  int round = 0;
  for (auto _ : st) {
    for (int i = 0; i < 3; ++i) runs[(round + i) % 3]();
    ++round;
    st.SetIterationTime(o.wall);
    ratio.push_back(o.wall / b.wall);
    portRatio.push_back(p.wall / b.wall);
    ours.push_back(o.wall);
    bare.push_back(b.wall);
    cpuRatio.push_back(o.cpu / b.cpu);
    calls.push_back(o.calls < 0 ? -1.0 : double(o.calls) / records);
    bareCalls.push_back(b.calls < 0 ? -1.0 : double(b.calls) / records);
    wakeups.push_back(double(o.wakeups) / records);
    bareWakeups.push_back(double(b.wakeups) / records);
  }
  st.SetLabel(bench::RunLabel());
  st.counters["vs_bare"] = Median(ratio);
  st.counters["best_vs_best"] =
      *std::min_element(ours.begin(), ours.end()) / *std::min_element(bare.begin(), bare.end());
  st.counters["port_vs_bare"] = Median(portRatio);
  st.counters["ours_s"] = Median(ours);
  st.counters["bare_s"] = Median(bare);
  st.counters["cpu_vs_bare"] = Median(cpuRatio);
  st.counters["calls_per_x"] = Median(calls);
  st.counters["bare_calls_per_x"] = Median(bareCalls);
  st.counters["wakeups_per_x"] = Median(wakeups);
  st.counters["bare_wakeups_per_x"] = Median(bareWakeups);
}

BENCHMARK(BM_VersusBareClient)->Apply([](auto* b) { bench::TableCases(b, 5); });

}  // namespace
