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
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "BenchTables.h"
#include "SessionCases.h"
#include "ui/tables/TablesWindow.h"
#include "ui/window/CommandMap.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtDialogs.h"

namespace {

using bench::ChildScale;
using bench::Median;
using Clock = std::chrono::steady_clock;

using Case = bench::TableCase;

// The application, made once, offscreen, with a configuration folder of its own. It is never
// destroyed: the benchmark library's main returns without knowing of it, and a QApplication
// destroyed among the exit handlers finds Qt's own globals already gone and crashes.
QApplication& App() {
  static QTemporaryDir home;
  static QApplication* app = nullptr;
  if (app == nullptr) {
    if (!home.isValid()) throw std::runtime_error("no temporary folder");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "window_transfers_bench";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
  }
  return *app;
}

// The operator: every number input answered with `number`, every box with Yes (or OK); the
// progress window is the window's own.
class Operator : public bench::AnsweringDialogs {
 public:
  explicit Operator(qm::TMainForm& form) : progress_(&form) {
    form.CreateAuxWindows();
    progress_.AttachProgressBox(form.ProgressBox());
  }
  void ShowProgress(const std::string& title, const std::string& done, int total,
                    int start) override {
    progress_.ShowProgress(title, done, total, start);
  }
  bool StepProgress(int position) override { return progress_.StepProgress(position); }
  void HideProgress() override { progress_.HideProgress(); }

 private:
  qm::QtDialogs progress_;
};

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
    form.Tables().PluTable().ReplaceDataRows(bench::PluRows(records));
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
  bench::SessionCase session(c, path, records);
  const auto t0 = Clock::now();
  session.Run();
  return Seconds(t0);
}

// args: case, records
void BM_WindowTransfer(benchmark::State& st) {
  const Case c = static_cast<Case>(st.range(0));
  const int records = static_cast<int>(st.range(1));
  const ChildScale scale = bench::ScaleFor(c, records);

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

BENCHMARK(BM_WindowTransfer)->Apply([](auto* b) { bench::TableCases(b, 3); });

}  // namespace
