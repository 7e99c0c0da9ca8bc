// qm-screenshot: opens the main window as the program does at start-up (saved settings, font and
// size), optionally connects to the scale so that the live display shows values, and saves one
// PNG of the window per page. For looking at the layout under a virtual display; not a test.
//
//   qm-screenshot PREFIX [--connect] [--read] [--clear-totals] [--wait MS]
//
// --read (with --connect) reads PLUs 1 to 7, messages 1 to 7 and the sales totals from the scale
// first, so that the grids and the totals page show data.
// --clear-totals (with --connect) clears the sales totals and, while the clear is under way,
// saves the status bar as PREFIX-status-clear.png (a scale paced slowly, qm-scale-sim --baud 110,
// keeps the clear going long enough).
// Writes PREFIX-goods.png, PREFIX-message.png and PREFIX-totals.png. Message boxes the window
// would show are printed to stderr and answered with their first button, so nothing waits for
// an operator. The settings are never written (the window is not closed through its close
// request).
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QPixmap>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <string>

#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "ui/link/MainFormLink.h"
#include "ui/tables/TablesWindow.h"
#include "ui/window/CommandMap.h"
#include "ui/window/MainForm.h"

namespace {

class PrintingDialogs : public qm::Dialogs {
 public:
  qm::DialogButton ShowMessage(const qm::MessageBoxRequest& r) override {
    std::fprintf(stderr, "box: %s | %s\n", qm::Utf8(r.caption).c_str(), qm::Utf8(r.text).c_str());
    for (qm::DialogButton b : {qm::kButtonOk, qm::kButtonYes, qm::kButtonNo, qm::kButtonCancel}) {
      if (r.buttons & b) return b;
    }
    return qm::kButtonOk;
  }
  // Every number asked for (the last PLU or message to read) is 7.
  std::optional<std::string> InputLine(const std::string&, const std::string& prompt,
                                       const std::string&) override {
    std::fprintf(stderr, "input: %s -> 7\n", qm::Utf8(prompt).c_str());
    return std::string("7");
  }
  void ShowProgress(const std::string&, const std::string&, int, int) override {}
  bool StepProgress(int) override { return false; }
  void HideProgress() override {}
  std::optional<qm::FileDialogAnswer> ChooseFile(const qm::FileDialogRequest&) override {
    return std::nullopt;
  }
};

void Pump(int ms) {
  QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QM V-1.6 Interchange Program"));
  QString prefix;
  bool connect = false;
  bool read = false;
  bool clearTotals = false;
  int wait = 2500;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--connect")) {
      connect = true;
    } else if (args[i] == QLatin1String("--read")) {
      read = true;
    } else if (args[i] == QLatin1String("--clear-totals")) {
      clearTotals = true;
    } else if (args[i] == QLatin1String("--wait") && i + 1 < args.size()) {
      wait = args[++i].toInt();
    } else {
      prefix = args[i];
    }
  }
  if (prefix.isEmpty()) {
    std::fprintf(stderr, "usage: qm-screenshot PREFIX [--connect] [--read] [--clear-totals] [--wait MS]\n");
    return 2;
  }

  PrintingDialogs dialogs;
  qm::TMainForm form;
  form.SetDialogs(&dialogs);
  form.CreateAuxWindows();
  form.ApplySavedFont();
  form.ApplySavedSize();
  form.show();
  Pump(300);
  if (connect) {
    form.Commands().Action(qm::Cmd::Connect)->trigger();
    Pump(wait);
  }
  if (connect && read) {
    for (qm::Cmd read : {qm::Cmd::ReadAllPLU, qm::Cmd::ReadAllMessages, qm::Cmd::ReadGTD}) {
      form.Commands().Action(read)->trigger();
    }
    form.Tables().PluTable().MoveToCell(0, 1);
    Pump(wait);
  }

  int failures = 0;
  if (connect && clearTotals) {
    // The clear waits for the scale inside the command; the shot is taken from that wait.
    const QString path = prefix + QStringLiteral("-status-clear.png");
    QTimer::singleShot(150, &form, [&form, &failures, path] {
      if (!form.statusBar()->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++failures;
      } else {
        std::printf("%s during the clear\n", qPrintable(path));
      }
    });
    form.Commands().Action(qm::Cmd::ClearGTD)->trigger();
    Pump(wait);
  }

  const char* const names[3] = {"goods", "message", "totals"};
  for (int page = 0; page < 3; ++page) {
    form.Pages().PageControl->setCurrentIndex(page);
    Pump(200);
    const QString path = prefix + QStringLiteral("-") + QLatin1String(names[page]) + ".png";
    if (!form.grab().save(path)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      ++failures;
    } else {
      std::printf("%s %dx%d\n", qPrintable(path), form.width(), form.height());
    }
  }
  if (connect && form.LinkControls().ComPort().Connected()) {
    form.Commands().Action(qm::Cmd::Connect)->trigger();
  }
  return failures == 0 ? 0 : 1;
}
