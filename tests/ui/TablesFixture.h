// A main window for the table tests: shown and active (so focus moves are real), with a dialog
// script that must expect every box, and helpers to fill the tables and read them back in UTF-8.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "UiTestHelpers.h"
#include "base/Cp1251.h"
#include "support/ScriptedDialogs.h"
#include "tables/PluColumns.h"
#include "ui/tables/MessageEditor.h"
#include "ui/tables/PluRowEditor.h"
#include "ui/tables/TSortGrid.h"
#include "ui/tables/TablesWindow.h"
#include "ui/window/CommandMap.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtStatusView.h"

namespace qmtest {

using qm::Cmd;

class TablesFixture : public testing::Test {
 protected:
  void SetUp() override {
    FreshSettingsFile();
    form_ = std::make_unique<qm::TMainForm>();
    form_->SetDialogs(&dialogs_);
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }

  qm::TMainForm& Form() { return *form_; }
  qm::TablesWindow& T() { return form_->Tables(); }
  // A tool button or menu entry of the window.
  QAction* Act(Cmd id) { return form_->Commands().Action(id); }
  qm::PluRowEditor& E() { return T().PluEditor(); }
  qm::MessageEditor& M() { return T().MsgEditor(); }
  qm::TextGrid& Plu() { return T().PluTable(); }
  qm::TextGrid& MsgGrid() { return T().Messages().Grid(); }
  QString Panel(int panel) { return form_->StatusBarView().PanelText(panel); }

  // PLU rows with these numbers and first names; the other item cells hold valid zeros.
  void SetPluRows(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<qm::Cells> cells;
    for (const auto& [no, name] : rows) {
      qm::Cells r(qm::kPluColumnCount);
      r[qm::kPluNo] = no;
      r[qm::kName1] = qm::Win1251(name);
      for (int c :
           {qm::kPrice, qm::kShelfLife, qm::kTare, qm::kItemCode, qm::kGroupCode, qm::kMessageNo}) {
        r[static_cast<std::size_t>(c)] = "0";
      }
      cells.push_back(r);
    }
    Plu().ReplaceDataRows(cells);
    E().Refresh();
    T().PluCmds().ShowCount();
  }
  // One column of every data row, UTF-8.
  std::vector<std::string> Column(int column) {
    std::vector<std::string> out;
    for (int r = 1; r < Plu().RowCount(); ++r) out.push_back(qm::Utf8(Plu().Cell(column, r)));
    return out;
  }
  std::vector<std::string> Names() { return Column(qm::kName1); }
  // The same column as the PLU grid view shows it.
  std::vector<std::string> Shown(int column) {
    QAbstractItemModel* model = T().PLUSortGrid->model();
    std::vector<std::string> out;
    for (int r = 0; r < model->rowCount(); ++r)
      out.push_back(model->index(r, column).data().toString().toStdString());
    return out;
  }

  // The message table with these names and texts (comma text), numbers 1..N in order.
  void SetMessages(const std::vector<std::pair<std::string, std::string>>& messages) {
    std::vector<qm::Cells> rows;
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < messages.size(); ++i) {
      rows.push_back({std::to_string(i + 1), qm::Win1251(messages[i].first)});
      texts.push_back(qm::Win1251(messages[i].second));
    }
    MsgGrid().ReplaceDataRows(rows);
    T().Messages().Texts() = texts;
  }

  void Focus(QWidget* w) {
    w->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
  }
  QWidget* Focused() { return QApplication::focusWidget(); }
  // Replaces a line field's text by typing, as the operator would.
  void Retype(QWidget* field, const QString& text) {
    Focus(field);
    if (auto* line = qobject_cast<QLineEdit*>(field)) line->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
  }
  // A key pressed and released as the window system delivers it: each event to whatever has
  // the focus at that moment.
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(form_->windowHandle(), key, modifiers);
  }
  // A press and release of a mouse button on a title of a grid.
  void ClickTitle(qm::TSortGrid* grid, int column, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QHeaderView* titles = grid->horizontalHeader();
    if (titles->sectionViewportPosition(column) + titles->sectionSize(column) <= 0 ||
        titles->sectionViewportPosition(column) >= titles->viewport()->width()) {
      grid->horizontalScrollBar()->setValue(titles->sectionPosition(column));  // scroll to it
    }
    const int left = std::max(0, titles->sectionViewportPosition(column));
    const int right =
        std::min(titles->viewport()->width(),
                 titles->sectionViewportPosition(column) + titles->sectionSize(column));
    const int x = (left + right) / 2;
    QTest::mouseClick(titles->viewport(), button, modifiers, QPoint(x, titles->height() / 2));
  }
  // A press and release on a data cell of a grid (model row / column).
  void ClickCell(qm::TSortGrid* grid, int row, int column) {
    const QRect cell =
        grid->visualRect(grid->model()->index(row, column)).intersected(grid->viewport()->rect());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  }

  ScriptedDialogs dialogs_;  // declared first: it outlives the window
  std::unique_ptr<qm::TMainForm> form_;
};

}  // namespace qmtest
