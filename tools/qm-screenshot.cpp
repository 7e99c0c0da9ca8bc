// qm-screenshot: opens the main window as the program does at start-up (saved settings, font and
// size), optionally connects to the scale so that the live display shows values, and saves one
// PNG of the window per page. For looking at the layout under a virtual display; not a test.
//
//   qm-screenshot PREFIX [--connect] [--read] [--clear-totals] [--wait MS] [--enter-walk]
//                 [--close-during-read]
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
//
// Two scenes instead of the pages: --enter-walk walks the PLU row editor with Enter from the
// number to Write and saves PREFIX-enter-walk.png; --close-during-read starts a PLU table read
// (to 200) with the window's own boxes, asks to close the window while the progress window
// shows, and saves the whole screen with the question up as PREFIX-close-question.png (answered
// No, then the read is cancelled). The second wants a paced scale (qm-scale-sim --baud 9600).
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "ui/link/MainFormLink.h"
#include "ui/tables/PluRowEditor.h"
#include "ui/tables/TablesWindow.h"
#include "ui/window/CommandMap.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtTranslations.h"
#include "ui/window/TProgressBox.h"

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

bool Save(const QPixmap& picture, const QString& path) {
  if (!picture.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s %dx%d\n", qPrintable(path), picture.width(), picture.height());
  return true;
}

// Enter pressed and released on whatever has the focus, as the keyboard would.
void PressEnter() {
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    if (QWidget* focus = QApplication::focusWidget()) QApplication::sendEvent(focus, &key);
  }
  Pump(50);
}

bool EnterWalk(qm::TMainForm& form, const QString& prefix) {
  form.Pages().PageControl->setCurrentIndex(0);
  form.activateWindow();  // without a window manager nobody else does
  Pump(200);
  qm::PluRowEditor& editor = form.Tables().PluEditor();
  editor.PNMemo->setFocus(Qt::OtherFocusReason);
  Pump(100);
  const std::vector<QWidget*>& fields = editor.Fields();
  for (int presses = 0; QApplication::focusWidget() != editor.PLUWrite &&
                        QApplication::focusWidget() != editor.PLUAdd;
       ++presses) {
    if (presses > 11 ||
        std::find(fields.begin(), fields.end(), QApplication::focusWidget()) == fields.end()) {
      std::fprintf(stderr, "the Enter walk did not end on Write or Add\n");
      return false;
    }
    PressEnter();
  }
  Pump(200);
  return Save(form.grab(), prefix + QStringLiteral("-enter-walk.png"));
}

bool CloseQuestionDuringRead(qm::TMainForm& form, const QString& prefix) {
  form.SetDialogs(nullptr);  // the window's own boxes
  qm::TProgressBox* progress = form.ProgressBox();
  bool saved = false;
  bool asked = false;
  QTimer operatorHand;
  operatorHand.setInterval(20);
  QObject::connect(&operatorHand, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* input = qobject_cast<QInputDialog*>(modal)) {
      input->setTextValue(QStringLiteral("200"));
      input->accept();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      operatorHand.stop();
      Pump(500);  // let the window system show it
      saved = Save(box->screen()->grabWindow(0), prefix + QStringLiteral("-close-question.png"));
      box->button(QMessageBox::No)->click();
      progress->CancelButton()->click();
    } else if (!asked && progress->isVisible() && progress->ProgressBar()->value() >= 5) {
      asked = true;
      QTimer::singleShot(0, &form, [&form] { form.close(); });
    }
  });
  operatorHand.start();
  form.Commands().Action(qm::Cmd::ReadAllPLU)->trigger();
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QM V-1.6 Interchange Program"));
  qm::InstallQtTranslations(app);  // Qt's own button texts in Russian, as the program has them
  QString prefix;
  bool connect = false;
  bool read = false;
  bool clearTotals = false;
  bool enterWalk = false;
  bool closeDuringRead = false;
  int wait = 2500;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--connect")) {
      connect = true;
    } else if (args[i] == QLatin1String("--read")) {
      read = true;
    } else if (args[i] == QLatin1String("--clear-totals")) {
      clearTotals = true;
    } else if (args[i] == QLatin1String("--enter-walk")) {
      enterWalk = true;
    } else if (args[i] == QLatin1String("--close-during-read")) {
      closeDuringRead = true;
    } else if (args[i] == QLatin1String("--wait") && i + 1 < args.size()) {
      wait = args[++i].toInt();
    } else {
      prefix = args[i];
    }
  }
  if (prefix.isEmpty()) {
    std::fprintf(stderr,
                 "usage: qm-screenshot PREFIX [--connect] [--read] [--clear-totals] [--wait MS]"
                 " [--enter-walk] [--close-during-read]\n");
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

  if (enterWalk || closeDuringRead) {
    bool ok = true;
    if (enterWalk) ok = EnterWalk(form, prefix) && ok;
    if (closeDuringRead) ok = CloseQuestionDuringRead(form, prefix) && ok;
    if (form.LinkControls().ComPort().Connected()) {
      form.Commands().Action(qm::Cmd::Connect)->trigger();
    }
    return ok ? 0 : 1;
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
