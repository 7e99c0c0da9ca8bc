// Input to the main window as the window system delivers it (through the native window, to
// whatever has the focus then): the first click after a real message box closed, on either grid
// and on a title, and Cancel in the progress window at every step of a table read. The scale is
// the virtual one on a pseudo-terminal.
#include <QAbstractButton>
#include <QGroupBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "TablesFixture.h"
#include "sim/VirtualScale.h"
#include "ui/window/QtDialogs.h"
#include "ui/window/TProgressBox.h"

namespace qm {
namespace {

// Message boxes as the window's real modal boxes, each answered by a click on its button from
// inside its own loop; which box comes and which button answers it is the script's. The
// progress window is the window's own, and `onStep` runs around each of its steps.
class RealBoxes : public Dialogs {
 public:
  RealBoxes(qmtest::ScriptedDialogs& script, TMainForm& form) : script_(script), real_(&form) {
    form.CreateAuxWindows();
    real_.AttachProgressBox(form.ProgressBox());
  }
  DialogButton ShowMessage(const MessageBoxRequest& request) override {
    const DialogButton answer = script_.ShowMessage(request);
    QTimer::singleShot(0, [answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      const QMessageBox::StandardButton button = answer == kButtonYes  ? QMessageBox::Yes
                                                 : answer == kButtonNo ? QMessageBox::No
                                                 : answer == kButtonOk ? QMessageBox::Ok
                                                                       : QMessageBox::Cancel;
      box->button(button)->click();
    });
    return real_.ShowMessage(request);
  }
  std::optional<std::string> InputLine(const std::string& caption, const std::string& prompt,
                                       const std::string& defaultText) override {
    return script_.InputLine(caption, prompt, defaultText);
  }
  void ShowProgress(const std::string& title, const std::string& label, int total,
                    int start) override {
    real_.ShowProgress(title, label, total, start);
  }
  bool StepProgress(int position) override {
    if (beforeStep) beforeStep(position);
    const bool cancel = real_.StepProgress(position);
    if (afterStep) afterStep(position);
    return cancel;
  }
  void HideProgress() override { real_.HideProgress(); }
  std::optional<FileDialogAnswer> ChooseFile(const FileDialogRequest& request) override {
    return script_.ChooseFile(request);
  }

  std::function<void(int)> beforeStep;
  std::function<void(int)> afterStep;

 private:
  qmtest::ScriptedDialogs& script_;
  QtDialogs real_;
};

class WindowInputTest : public qmtest::TablesFixture, protected qmtest::WindowScale {
 protected:
  void SetUp() override {
    TablesFixture::SetUp();
    boxes_ = std::make_unique<RealBoxes>(dialogs_, Form());
    Form().SetDialogs(boxes_.get());
  }
  void TearDown() override {
    form_.reset();  // before the scale and the ticks it uses
    boxes_.reset();
  }

  // Rows that pass the check before a write: these numbers and names, valid other cells.
  void SetValidRows(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<Cells> cells;
    for (const auto& [no, name] : rows) {
      cells.push_back({no, name, "", "1.50", "5", "0.250", "7", "0", "0", "0", "", "", "", ""});
    }
    Plu().ReplaceDataRows(cells);
    E().Refresh();
  }
  // A press and release of the left button on `at` in `widget`, entering at the main window.
  void ClickThroughWindow(QWidget* widget, QPoint at) {
    QTest::mouseClick(Form().windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      widget->mapTo(&Form(), at));
  }
  void ClickRow(TSortGrid* grid, int modelRow, int column) {
    const QRect cell = grid->visualRect(grid->model()->index(modelRow, column));
    ClickThroughWindow(grid->viewport(), cell.center());
  }
  // The first name line of the record the scale holds under `number`, as written.
  std::string NameWritten(int number) {
    const std::optional<qmsim::Bytes> record = scale.Plu(number);
    if (!record || record->size() < 38) return "(none)";
    return std::string(record->begin() + 10, record->begin() + 38).c_str();
  }

  std::unique_ptr<RealBoxes> boxes_;
};

TEST_F(WindowInputTest, TheFirstClickAfterABoxSelectsThePluRowThatTheSingleWriteSends) {
  SetValidRows({{"1", "ONE"}, {"2", "TWO"}, {"3", "THREE"}, {"4", "FOUR"}});
  Plu().MoveToCell(kName1, 3);
  dialogs_.ExpectMessage("Записать текущую строку?", kButtonYes);
  dialogs_.ExpectMessage("Строка записана.", kButtonOk);
  Act(Cmd::WriteOnePLU)->trigger();
  ASSERT_EQ(NameWritten(3), "THREE");

  // One click on the first row, right after the box closed.
  ClickRow(T().PLUSortGrid, 0, kName1);
  EXPECT_EQ(Plu().CurrentRow(), 1);
  EXPECT_EQ(Focused(), T().PLUSortGrid);
  EXPECT_EQ(E().INEdit1->text(), "ONE");

  dialogs_.ExpectMessage("Записать текущую строку?", kButtonYes);
  dialogs_.ExpectMessage("Строка записана.", kButtonOk);
  Act(Cmd::WriteOnePLU)->trigger();
  EXPECT_EQ(NameWritten(1), "ONE");
  EXPECT_EQ(scale.PluNumbers(), (std::vector<std::int32_t>{1, 3}));
}

TEST_F(WindowInputTest, TheFirstClickAfterABoxSelectsTheMessageThatTheSingleWriteSends) {
  SetMessages({{"First", "one"}, {"Second", "two"}, {"Third", "three"}});
  MsgGrid().MoveToCell(kMsgName, 2);
  dialogs_.ExpectMessage("Записать текущее сообщение?", kButtonYes);
  dialogs_.ExpectMessage("Сообщение записано.", kButtonOk);
  Act(Cmd::WriteOneMessage)->trigger();
  ASSERT_EQ(scale.MessageNumbers(), (std::vector<std::int32_t>{2}));

  ClickRow(T().MsgSortGrid, 2, kMsgName);
  EXPECT_EQ(MsgGrid().CurrentRow(), 3);
  EXPECT_EQ(E().MsgShowBox->title(), "Third");

  dialogs_.ExpectMessage("Записать текущее сообщение?", kButtonYes);
  dialogs_.ExpectMessage("Сообщение записано.", kButtonOk);
  Act(Cmd::WriteOneMessage)->trigger();
  EXPECT_EQ(scale.MessageNumbers(), (std::vector<std::int32_t>{2, 3}));
  const qmsim::Bytes block = scale.Message(3).value_or(qmsim::Bytes(5, 0));
  EXPECT_EQ(std::string(block.begin(), block.begin() + 5), "three");
}

TEST_F(WindowInputTest, ATitleClickAfterABoxSortsAndAChangedFieldStillAsksFirst) {
  SetValidRows({{"1", "D"}, {"2", "C"}, {"3", "B"}, {"4", "A"}});
  dialogs_.ExpectMessage("Записать текущую строку?", kButtonNo);
  Act(Cmd::WriteOnePLU)->trigger();
  QHeaderView* titles = T().PLUSortGrid->horizontalHeader();
  const QPoint title(titles->sectionViewportPosition(kName1) + titles->sectionSize(kName1) / 2,
                     titles->height() / 2);
  ClickThroughWindow(titles->viewport(), title);
  EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B", "C", "D"}));

  // Typed into a field, then a box: the first click on another row asks about the change
  // before the row moves, and Cancel keeps both the row and the typing.
  Retype(E().INEdit1, "TYPED");
  const int row = Plu().CurrentRow();
  dialogs_.ExpectMessage("Записать текущую строку?", kButtonNo);
  Act(Cmd::WriteOnePLU)->trigger();
  dialogs_.ExpectMessage("Данные были изменены, сохранить?", kButtonCancel);
  ClickRow(T().PLUSortGrid, row == 1 ? 2 : 0, kName1);
  EXPECT_EQ(Plu().CurrentRow(), row);
  EXPECT_EQ(E().INEdit1->text(), "TYPED");
  EXPECT_TRUE(E().PluDirty());
}

// Cancel pressed in the progress window of a four-record read: on the step of record `at`
// itself, or while the read waits for the record after it. The read stops there, without its
// completion box.
TEST_F(WindowInputTest, CancelStopsATableReadAtEveryStep) {
  for (int k = 1; k <= 4; ++k) {
    std::string name = "ITEM" + std::to_string(k);
    qmsim::Bytes record(100, 0);
    record[0] = static_cast<std::uint8_t>(k);
    std::copy(name.begin(), name.end(), record.begin() + 10);
    scale.SetPlu(k, record);
  }
  TProgressBox* progress = Form().ProgressBox();
  auto pressCancel = [&] {
    QPushButton* cancel = progress->CancelButton();
    QTest::mouseClick(progress->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      cancel->mapTo(progress, cancel->rect().center()));
  };
  struct Case {
    int at;
    bool whileWaiting;
    int rowsRead;
  };
  for (const Case c : {Case{1, false, 1}, Case{2, false, 2}, Case{3, false, 3}, Case{4, false, 4},
                       Case{1, true, 2}, Case{2, true, 3}, Case{3, true, 4}}) {
    SCOPED_TRACE(testing::Message() << c.at << (c.whileWaiting ? " waiting" : " on the step"));
    Plu().ReplaceDataRows({});
    boxes_->beforeStep = [&](int position) {
      if (!c.whileWaiting && position == c.at) pressCancel();
    };
    boxes_->afterStep = [&](int position) {
      if (c.whileWaiting && position == c.at) QTimer::singleShot(0, pressCancel);
    };
    dialogs_.ExpectInput("Введите номер последней строки PLU:", std::string("4"));
    Act(Cmd::ReadAllPLU)->trigger();  // no completion box
    EXPECT_EQ(Plu().DataRowCount(), c.rowsRead);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_TRUE(dialogs_.AllConsumed());
  }
}

}  // namespace
}  // namespace qm
