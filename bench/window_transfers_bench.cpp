// Whole-table transfers run from the real main window (offscreen), against an unpaced virtual
// scale in a child process: the tool commands with the window's own progress window, the grid
// filling as records arrive, the status bar. Beside each, the same transfer through the session
// alone (the port, the headless loop, the link, no window), so that what the window adds to a
// transfer shows on its own.
//
// Counters, medians over the rounds (3; QM_BENCH_ROUNDS=N asks for more):
//   window_s           seconds for the command in the window, prompts answered at once
//   session_s          seconds for the same transfer through the session alone
//   window_vs_session  window_s / session_s
//   ms_per_record      window_s per record, in milliseconds
//
// Built only with the window layer. The user's settings are never touched: the configuration
// folder is moved to a temporary one before the window starts.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "base/Dialogs.h"
#include "ctl/LinkSession.h"
#include "session/ScaleSession.h"
#include "tables/PluColumns.h"
#include "ui/tables/TablesWindow.h"
#include "ui/window/CommandMap.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtDialogs.h"

namespace {

using bench::ChildScale;
using Clock = std::chrono::steady_clock;

int Rounds() {
  const char* asked = std::getenv("QM_BENCH_ROUNDS");
  const int n = asked ? std::atoi(asked) : 0;
  return n > 0 ? n : 3;
}

enum class Case { ReadPlu, WritePlu, ReadMessages };

// The application, made once, offscreen, with a configuration folder of its own.
QApplication& App() {
  static QTemporaryDir home;
  static std::unique_ptr<QApplication> app;
  if (!app) {
    if (!home.isValid()) throw std::runtime_error("no temporary folder");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "window_transfers_bench";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QApplication>(argc, argv);
  }
  return *app;
}

// The operator: every number input answered with `number`, every box with Yes (or OK); the
// progress window is the window's own.
class Operator : public qm::Dialogs {
 public:
  explicit Operator(qm::TMainForm& form) : progress_(&form) {
    form.CreateAuxWindows();
    progress_.AttachProgressBox(form.ProgressBox());
  }
  std::string number;
  qm::DialogButton ShowMessage(const qm::MessageBoxRequest& r) override {
    return (r.buttons & qm::kButtonYes) ? qm::kButtonYes : qm::kButtonOk;
  }
  std::optional<std::string> InputLine(const std::string&, const std::string&,
                                       const std::string&) override {
    return number;
  }
  void ShowProgress(const std::string& title, const std::string& done, int total,
                    int start) override {
    progress_.ShowProgress(title, done, total, start);
  }
  bool StepProgress(int position) override { return progress_.StepProgress(position); }
  void HideProgress() override { progress_.HideProgress(); }
  std::optional<qm::FileDialogAnswer> ChooseFile(const qm::FileDialogRequest&) override {
    return std::nullopt;
  }

 private:
  qm::QtDialogs progress_;
};

qmsim::Bytes PluRecord(std::int32_t number) {
  qmsim::Bytes r(100, 0);
  for (int i = 0; i < 4; ++i) r[i] = static_cast<std::uint8_t>(number >> (8 * i));
  const std::string name = "Item " + std::to_string(number);
  std::copy(name.begin(), name.end(), r.begin() + 10);
  r[66] = 0x10;
  r[67] = 0x27;
  return r;
}

std::vector<qm::Cells> PluRows(int records) {
  std::vector<qm::Cells> rows;
  for (int k = 1; k <= records; ++k) {
    const std::string n = std::to_string(k);
    rows.push_back({n, "Item " + n, "", "100.00", "5", "0", n, "1", "0", "0", "", "", "", ""});
  }
  return rows;
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// One command in a fresh main window on the scale's line (COM2 by the window's defaults).
double InWindow(Case c, const std::string& path, int records) {
  qputenv("QM_PORTS", ("COM2=" + path).c_str());
  qm::TMainForm form;
  Operator op(form);
  form.SetDialogs(&op);
  form.show();
  QCoreApplication::processEvents();
  op.number = std::to_string(records);
  qm::Cmd command = qm::Cmd::ReadAllPLU;
  if (c == Case::WritePlu) {
    form.Tables().PluTable().ReplaceDataRows(PluRows(records));
    command = qm::Cmd::WriteAllPLU;
  } else if (c == Case::ReadMessages) {
    command = qm::Cmd::ReadAllMessages;
  }
  const auto t0 = Clock::now();
  form.Commands().Action(command)->trigger();
  const double wall = Seconds(t0);
  const int rows = c == Case::ReadMessages ? form.Tables().Messages().Grid().DataRowCount()
                                           : form.Tables().PluTable().DataRowCount();
  if (rows != records) throw std::runtime_error("the window's transfer did not go through");
  // Closing asks nothing: the window is destroyed, not closed, and the settings are a scratch
  // copy.
  form.hide();
  return wall;
}

// The same transfer through the session alone, as qmctl makes it.
double InSession(Case c, const std::string& path, int records) {
  qm::ctl::LineOptions line;
  line.port = path;
  line.comPort.reset();
  line.address = 1;
  std::ostringstream err;
  qm::ctl::LinkSession session(line, err);
  qm::TransferObserver quiet;
  if (c == Case::WritePlu) session.core.Plu().ReplaceDataRows(PluRows(records));
  const auto t0 = Clock::now();
  qm::TransferReport report;
  switch (c) {
    case Case::ReadPlu:
      report = session.core.ReadPluTable(records, quiet);
      break;
    case Case::WritePlu:
      report = session.core.WritePlu(1, records, quiet);
      break;
    case Case::ReadMessages:
      report = session.core.ReadMessageTable(records, quiet);
      break;
  }
  const double wall = Seconds(t0);
  if (report.status != qm::TransferStatus::Done || report.stored != records) {
    throw std::runtime_error("the session's transfer did not go through");
  }
  return wall;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// args: case, records
void BM_WindowTransfer(benchmark::State& st) {
  const Case c = static_cast<Case>(st.range(0));
  const int records = static_cast<int>(st.range(1));
  const ChildScale scale(0, [c, records](qmsim::VirtualScale& s) {
    for (int k = 1; k <= records; ++k) {
      if (c == Case::ReadPlu) s.SetPlu(k, PluRecord(k));
      if (c == Case::ReadMessages) s.SetMessage(k, qmsim::Bytes(400, 'a' + k % 26));
    }
  });
  App();
  std::vector<double> window, session;
  for (auto _ : st) {
    window.push_back(InWindow(c, scale.Path(), records));
    session.push_back(InSession(c, scale.Path(), records));
    st.SetIterationTime(window.back());
  }
  st.counters["window_s"] = Median(window);
  st.counters["session_s"] = Median(session);
  st.counters["window_vs_session"] = Median(window) / Median(session);
  st.counters["ms_per_record"] = 1000.0 * Median(window) / records;
}

BENCHMARK(BM_WindowTransfer)
    ->ArgNames({"case", "records"})
    ->Args({int(Case::ReadPlu), 4000})
    ->Args({int(Case::WritePlu), 4000})
    ->Args({int(Case::ReadMessages), 1000})
    ->Iterations(Rounds())
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
