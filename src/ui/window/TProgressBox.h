// The progress window of the table transfers: shown without being modal, stepped by the transfer,
// polled for a cancel request. It stays on top, opens centred on its owner and has no close
// button, so only "&Отмена" (or the transfer's end) takes it away.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qm {

class TProgressBox : public QWidget {
  Q_OBJECT

 public:
  // `owner` is the main window the box is centred on; it also owns the box.
  explicit TProgressBox(QWidget* owner);

  // Caption := title, done label := doneLabel; bar from 1 to total at start; shows total,
  // start - 1 done and total - start + 1 left; shows the window and clears the cancel request.
  void ShowProgress(const QString& title, const QString& doneLabel, int total, int start);
  // Bar := position; done := position - minimum + 1 (the minimum is 1, so done = position);
  // left := maximum - position; repaints at once, lets pending window events run (a click on
  // "&Отмена" among them) and returns whether cancelling was asked since the window was shown.
  bool StepProgress(int position);
  bool Cancelled() const { return cancelled_; }
  // Asks the running transfer to stop at its next step, as "&Отмена" does.
  void RequestCancel() { cancelled_ = true; }

  QProgressBar* ProgressBar() const { return progressBar_; }
  QLabel* TotalVal() const { return totalVal_; }
  QLabel* ProcLabel() const { return procLabel_; }
  QLabel* ProcVal() const { return procVal_; }
  QLabel* RemVal() const { return remVal_; }
  QPushButton* CancelButton() const { return cancelButton_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QProgressBar* progressBar_;
  QLabel* totLabel_;
  QLabel* totalVal_;
  QLabel* procLabel_;
  QLabel* procVal_;
  QLabel* remLabel_;
  QLabel* remVal_;
  QPushButton* cancelButton_;
  bool cancelled_ = false;
};

}  // namespace qm
