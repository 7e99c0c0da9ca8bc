// What the link costs while it waits for the scale, and how often the port's event thread
// wakes the UI thread. The far end of the line runs in a child process, so the process times
// measured here are the link side's alone (UI thread and the port's event thread).
//
// The BM_Sim* runs do the same against the virtual scale (the qmsim library, forked into a
// child process of its own), with its exact protocol, its pacing and its fault switches.
//
// Counters:
//   cpu_pct          link-side CPU time / wall time, in percent of one core
//   rx_per_arrival   receive notifications per write of the far end (1: once per arrival)
//   rx_per_byte      receive notifications per received byte of a paced exchange
//   exchanges_per_s  complete 0x81 exchanges (selection, command, 100-byte reply) per second
//   rx_per_exchange  receive notifications per exchange; the virtual scale makes 4 writes per
//                    0x81 exchange (echo, status, acknowledgement, record) unpaced, 103 paced
//   wait_s           seconds one silent wait lasted
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "base/Dialogs.h"
#include "base/StatusView.h"
#include "port/ComPort.h"
#include "port/HeadlessLoop.h"
#include "link/ScaleLink.h"
#include "sim/VirtualScale.h"

namespace {

using bench::ChildScale;
using bench::NoStatus;
using bench::ProcessCpuSeconds;
using Clock = std::chrono::steady_clock;

struct QuietDialogs : qm::Dialogs {
  qm::DialogButton ShowMessage(const qm::MessageBoxRequest&) override { return qm::kButtonOk; }
  std::optional<std::string> InputLine(const std::string&, const std::string&,
                                       const std::string&) override {
    return std::nullopt;
  }
  void ShowProgress(const std::string&, const std::string&, int, int) override {}
  bool StepProgress(int) override { return false; }
  void HideProgress() override {}
  std::optional<qm::FileDialogAnswer> ChooseFile(const qm::FileDialogRequest&) override {
    return std::nullopt;
  }
};

// A pseudo-terminal whose master end is the far end of the line.
struct Line {
  Line() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[256] = {};
    if (master < 0 || ::grantpt(master) || ::unlockpt(master) || ::ptsname_r(master, name, 256))
      throw std::runtime_error("no pseudo-terminal");
    path = name;
    keep = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);  // no hang-up between opens
  }
  ~Line() {
    ::close(master);
    ::close(keep);
  }
  int master = -1, keep = -1;
  std::string path;
};

// The link as the main window holds it, over the terminal at `path`.
struct Link {
  explicit Link(std::string path) : path_(std::move(path)) {
    port.SetSyncMethod(qm::TSyncMethod::smWindow);
    port.SetDispatcher(&loop.Dispatcher());
    port.SetDeviceResolver([this](qm::TPortType) { return path_; });
    loop.SetTickHandler([this] { link.TickReplyTimeout(); });
    loop.StartTimer();
    port.OnRxChar = [this](qm::TComPort& p, std::int32_t q) {
      ++notifications;
      link.ComPortRxChar(p, q);
    };
    link.OpenLink(false);
  }
  ~Link() { link.CloseForExit(); }
  std::string path_;
  qm::HeadlessLoop loop;
  qm::TComPort port;
  qm::RunState state;
  NoStatus status;
  QuietDialogs dialogs;
  qm::ScaleLink link{port, state, status, loop};
  std::int64_t notifications = 0;
};

// Seconds of wall-clock time and of this process's CPU time, added up over the measured steps.
struct Spent {
  double wall = 0, cpu = 0;

  // Runs `step` and adds what it took.
  template <typename Step>
  void Measure(Step&& step) {
    const double c0 = ProcessCpuSeconds();
    const auto t0 = Clock::now();
    step();
    wall += std::chrono::duration<double>(Clock::now() - t0).count();
    cpu += ProcessCpuSeconds() - c0;
  }
  double CpuPercent() const { return 100.0 * cpu / wall; }
};

// A wait for one byte that never comes: the whole 5-tick time-out of handling events.
void BM_SilentScaleWait(benchmark::State& st) {
  Line line;
  Link l(line.path);
  Spent spent;
  for (auto _ : st) {
    spent.Measure([&] {
      std::string reply;
      benchmark::DoNotOptimize(l.link.ReadReply(1, false, reply));
    });
  }
  st.counters["cpu_pct"] = spent.CpuPercent();
  st.counters["rounds_per_wait"] =
      benchmark::Counter(double(l.loop.Count().rounds) / st.iterations());
}
BENCHMARK(BM_SilentScaleWait)->Iterations(6)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 100-byte reply written byte by byte at the pace of 9600 baud (about 1 ms per byte) by a
// child process, started before the measurement and told by a pipe when to send; the link waits
// for all of it.
void BM_PacedReplyArrivals(benchmark::State& st) {
  Line line;
  Link l(line.path);
  const int bytes = 100;
  int go[2];
  if (::pipe(go) != 0) throw std::runtime_error("pipe");
  pid_t child = ::fork();
  if (child == 0) {
    ::close(go[1]);
    char c;
    while (::read(go[0], &c, 1) == 1) {
      for (int i = 0; i < bytes; ++i) {
        const char b = static_cast<char>(i);
        if (::write(line.master, &b, 1) != 1) ::_exit(1);
        ::usleep(1042);  // 10 bits at 9600 bit/s
      }
    }
    ::_exit(0);
  }
  ::close(go[0]);
  Spent spent;
  std::int64_t arrivals = 0;
  l.notifications = 0;
  for (auto _ : st) {
    spent.Measure([&] {
      if (::write(go[1], "g", 1) != 1) st.SkipWithError("child gone");
      std::string reply;
      if (!l.link.ReadReply(bytes, false, reply)) st.SkipWithError("reply lost");
    });
    arrivals += bytes;
  }
  ::close(go[1]);
  ::waitpid(child, nullptr, 0);
  st.counters["cpu_pct"] = spent.CpuPercent();
  st.counters["rx_per_arrival"] = double(l.notifications) / double(arrivals);
}
BENCHMARK(BM_PacedReplyArrivals)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

// A scale in a child process on the master end of `line`: echoes the address with the ready
// status and answers command 0x81 and its 4 data bytes with 0xAA and a 100-byte record. Paced,
// it sends byte by byte at 9600 baud (10 bits per byte). Ends when the line is closed.
pid_t StartChildScale(const Line& line, bool paced) {
  pid_t child = ::fork();
  if (child != 0) return child;
  std::string record(100, 'r');
  int dataLeft = 0;
  auto send = [&](const std::string& bytes) {
    if (!paced) {
      if (::write(line.master, bytes.data(), bytes.size()) < 0) ::_exit(0);
      return;
    }
    for (char b : bytes) {
      if (::write(line.master, &b, 1) != 1) ::_exit(0);
      ::usleep(1042);
    }
  };
  unsigned char buffer[256];
  for (;;) {
    ssize_t n = ::read(line.master, buffer, sizeof buffer);
    if (n <= 0) ::_exit(0);
    for (ssize_t i = 0; i < n; ++i) {
      if (dataLeft > 0) {
        if (--dataLeft == 0) send("\xAA" + record);
      } else if (buffer[i] == 0x01) {
        send(std::string("\x01\x80", 2));
      } else if (buffer[i] == 0x81) {
        dataLeft = 4;
      }
    }
  }
}

bool ReadOneRecord(Link& l) {
  qm::LinkBusyScope busy(l.state);
  if (!l.link.SelectScale().Ready()) return false;
  const qm::Answer answer = l.link.SendCommand(0x81, std::string("\x07\x00\x00\x00", 4), 100);
  return answer.kind == qm::Answer::Kind::Done && answer.reply.size() == 100;
}

// One 0x81 read a round, each measured; the notifications are counted from 0.
Spent MeasureReads(benchmark::State& st, Link& l) {
  Spent spent;
  l.notifications = 0;
  for (auto _ : st) {
    spent.Measure([&] {
      if (!ReadOneRecord(l)) st.SkipWithError("exchange failed");
    });
  }
  return spent;
}

// Exchanges of command 0x81 (address, echo and status, command and 4 bytes, 0xAA and 100
// bytes) against a scale that answers at once.
void BM_Exchange0x81(benchmark::State& st) {
  Line line;
  pid_t child = StartChildScale(line, false);
  {
    Link l(line.path);
    for (auto _ : st) {
      if (!ReadOneRecord(l)) st.SkipWithError("exchange failed");
    }
    st.counters["exchanges_per_s"] =
        benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
  }
  ::kill(child, SIGTERM);
  ::waitpid(child, nullptr, 0);
}
BENCHMARK(BM_Exchange0x81)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

// The same exchanges with a scale paced at 9600 baud: what the link side costs while a long run
// of requests trickles in, and how often the event thread woke the UI thread.
void BM_Exchange0x81At9600(benchmark::State& st) {
  Line line;
  pid_t child = StartChildScale(line, true);
  {
    Link l(line.path);
    const Spent spent = MeasureReads(st, l);
    const double bytesIn = 103.0 * st.iterations();  // echo, status, 0xAA, 100 bytes
    st.counters["cpu_pct"] = spent.CpuPercent();
    st.counters["rx_per_byte"] = double(l.notifications) / bytesIn;
  }
  ::kill(child, SIGTERM);
  ::waitpid(child, nullptr, 0);
}
BENCHMARK(BM_Exchange0x81At9600)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- against the virtual scale ---------------------------------------------------------------

// The virtual scale in a child process: it stores PLU 7 and takes `faults` and `baud` pacing.
ChildScale ScaleWithPlu7(const qmsim::Faults& faults, unsigned baud) {
  return ChildScale(baud, [&faults](qmsim::VirtualScale& scale) {
    scale.SetPlu(7, qmsim::Bytes(100, 0x37));
    scale.SetFaults(faults);
  });
}

// Silent waits: the address goes out, the virtual scale never answers, and the link waits its
// whole time-out before it reports the failure (quietly here) and closes. Ten of them make a
// wait of several seconds.
void BM_SimSilentScale(benchmark::State& st) {
  const ChildScale scale = ScaleWithPlu7({.silent = true}, 0);
  Link l(scale.Path());
  Spent spent;
  const auto rounds0 = l.loop.Count().rounds;
  for (auto _ : st) {
    l.link.OpenLink(false);
    if (!l.link.IsOpen()) st.SkipWithError("port did not open");
    spent.Measure([&] {
      if (l.link.SelectScale().kind != qm::Selection::Kind::Silent) {
        st.SkipWithError("a silent scale answered");
      }
    });
  }
  st.counters["cpu_pct"] = spent.CpuPercent();
  st.counters["wait_s"] = spent.wall / double(st.iterations());
  st.counters["rounds_per_wait"] =
      double(l.loop.Count().rounds - rounds0) / double(st.iterations());
}
BENCHMARK(BM_SimSilentScale)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

// A long run of 0x81 reads from the virtual scale paced at 9600 baud: what the link side costs
// while the bytes trickle in one by one, and how often the port woke the loop per byte.
void BM_SimExchange0x81At9600(benchmark::State& st) {
  const ChildScale scale = ScaleWithPlu7({}, 9600);
  Link l(scale.Path());
  const Spent spent = MeasureReads(st, l);
  const double bytesIn = 103.0 * double(st.iterations());  // echo, status, 0xAA, 100 bytes
  st.counters["cpu_pct"] = spent.CpuPercent();
  st.counters["rx_per_byte"] = double(l.notifications) / bytesIn;
  st.counters["rx_per_exchange"] = double(l.notifications) / double(st.iterations());
}
BENCHMARK(BM_SimExchange0x81At9600)->Iterations(40)->Unit(benchmark::kMillisecond)->UseRealTime();

// 0x81 reads as fast as the unpaced virtual scale answers them.
void BM_SimExchange0x81(benchmark::State& st) {
  const ChildScale scale = ScaleWithPlu7({}, 0);
  Link l(scale.Path());
  const Spent spent = MeasureReads(st, l);
  st.counters["exchanges_per_s"] =
      benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
  st.counters["cpu_pct"] = spent.CpuPercent();
  st.counters["rx_per_exchange"] = double(l.notifications) / double(st.iterations());
}
BENCHMARK(BM_SimExchange0x81)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

}  // namespace
