// Qt's own dialogs as the operator meets them: the file dialogs with the names the program
// proposes and the files saved under them, and Qt's texts in Russian.
#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QTreeView>

#include "UiTestHelpers.h"
#include "base/Cp1251.h"
#include "ui/window/CommandMap.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtDialogs.h"
#include "ui/window/QtTranslations.h"

namespace qm {
namespace {

using qmtest::WhenShown;

QLineEdit* NameField(QFileDialog& dialog) {
  return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Runs a command whose file dialog shows; `answer` reads and answers the dialog. Returns the name
// the dialog proposed.
QString RunFileDialog(QAction* command, std::function<void(QFileDialog&)> answer) {
  QString proposed = QStringLiteral("<no dialog>");
  WhenShown<QFileDialog>([&](QFileDialog& dialog) {
    proposed = NameField(dialog)->text();
    answer(dialog);
  });
  command->trigger();
  return proposed;
}

void Enter(QFileDialog& dialog) {
  QTest::keyClick(NameField(dialog), Qt::Key_Return);
}

TEST(ToolkitDialogs, SaveDialogsProposeTheirNamesAsWrittenAndAFileKeepsItsCyrillicName) {
  qmtest::FreshSettingsFile();
  QTemporaryDir dir;
  {
    TMainForm form;
    form.show();
    CommandMap& map = form.Commands();
    const auto cancel = [](QFileDialog& d) { d.reject(); };
    EXPECT_EQ(RunFileDialog(map.Action(Cmd::FileSaveMessages), cancel), QStringLiteral("Сообщения"));
    EXPECT_EQ(RunFileDialog(map.Action(Cmd::FileSaveTotals), cancel), QStringLiteral("Итог"));
    // The operator goes to the folder and takes the proposal with Enter.
    EXPECT_EQ(RunFileDialog(map.Action(Cmd::FileSavePlu),
                            [&](QFileDialog& d) {
                              d.setDirectory(dir.path());
                              Enter(d);
                            }),
              QStringLiteral("Товары"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Товары.csv")});

    // Loaded under its Cyrillic name, the file is proposed again as it is and replaced in place.
    RunFileDialog(map.Action(Cmd::FileOpen), [](QFileDialog& d) {
      NameField(d)->setText(QStringLiteral("Товары.csv"));
      Enter(d);
    });
    QString folder;
    const QString again = RunFileDialog(map.Action(Cmd::FileSavePlu), [&](QFileDialog& d) {
      folder = d.directory().absolutePath();
      WhenShown<QMessageBox>([](QMessageBox& replace) { replace.button(QMessageBox::Yes)->click(); });
      Enter(d);
    });
    EXPECT_EQ(again, QStringLiteral("Товары"));
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Товары.csv")});
  QFile saved(QDir(dir.path()).filePath(QStringLiteral("Товары.csv")));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_TRUE(saved.readAll().startsWith(QByteArray::fromStdString(Win1251("Товары"))));
}

// Qt's file dialog opens wide enough for its columns in Russian, and keeps the size the operator
// gives it for the rest of the run only.
TEST(ToolkitDialogs, TheFileDialogShowsItsColumnsAndKeepsTheOperatorsSize) {
  const QList<QTranslator*> installed = InstallQtTranslations(*QCoreApplication::instance());
  QTemporaryDir dir;
  QFile file(QDir(dir.path()).filePath(QStringLiteral("Товары.csv")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(29, 'x'));
  file.close();
  FileDialogRequest request{FileDialogKind::Open, Win1251("Открыть"), Win1251("Файл данных|*.csv"),
                            1, "csv", file.fileName().toStdString()};
  // Opens the dialog, waits for its folder and returns the size it opened at; `resize` is what
  // the operator makes of it.
  const auto open = [&](QtDialogs& dialogs, QSize resize) {
    QSize opened;
    WhenShown<QFileDialog>([&](QFileDialog& d) {
      auto* details = d.findChild<QTreeView*>(QStringLiteral("treeView"));
      const QAbstractItemView* items = details;
      QHeaderView* header = details->header();
      const auto lastColumnEnd = [&] {
        const int last = header->count() - 1;
        return header->sectionViewportPosition(last) + header->sectionSize(last);
      };
      EXPECT_TRUE(qmtest::PumpUntil(
          [&] { return details->model()->rowCount(details->rootIndex()) == 1; }));
      // The file system model reads the folder on its own thread: the rows arrive first and the
      // "folder read" signal that fits the columns after them, when that thread gets its turn
      // (on a loaded machine, after the rows have been shown). So the columns are looked at
      // once they fit, or once the bound has passed.
      const auto fitted = [&] {
        for (int column = 1; column < header->count(); ++column) {
          const int fits =
              std::max(items->sizeHintForColumn(column), header->sectionSizeHint(column));
          if (details->columnWidth(column) < fits) return false;
        }
        return lastColumnEnd() <= details->viewport()->width();
      };
      qmtest::PumpUntil(fitted);
      QCoreApplication::processEvents();
      opened = d.size();
      for (int column = 1; column < header->count(); ++column) {
        SCOPED_TRACE(column);
        EXPECT_GE(details->columnWidth(column), items->sizeHintForColumn(column));
        EXPECT_GE(details->columnWidth(column), header->sectionSizeHint(column));
      }
      EXPECT_LE(lastColumnEnd(), details->viewport()->width())
          << "the last column ends inside the list";
      if (resize.isValid()) d.resize(resize);
      d.reject();
    });
    dialogs.ChooseFile(request);
    return opened;
  };
  QtDialogs dialogs(nullptr);
  const QSize first = open(dialogs, QSize(900, 520));
  EXPECT_EQ(open(dialogs, {}), QSize(900, 520));
  QtDialogs nextRun(nullptr);
  EXPECT_EQ(open(nextRun, {}), first);
  for (QTranslator* t : installed) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
}

TEST(ToolkitDialogs, QtsOwnTextsAreRussian) {
  const QList<QTranslator*> installed = InstallQtTranslations(*QCoreApplication::instance());
  ASSERT_FALSE(installed.isEmpty()) << "Qt's Russian catalogues are missing (qt6-translations-l10n)";

  QtDialogs dialogs(nullptr);
  MessageBoxRequest question{Win1251("Сохранить введенные данные?"), Win1251("Подтвердите"),
                             DialogIcon::Question, kButtonYes | kButtonNo | kButtonCancel};
  QStringList buttons;
  WhenShown<QMessageBox>([&](QMessageBox& box) {
    for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
      buttons << box.button(b)->text().remove(QLatin1Char('&'));
    box.reject();
  });
  dialogs.ShowMessage(question);
  EXPECT_EQ(buttons, QStringList({"Да", "Нет", "Отмена"}));

  QFileDialog files;
  files.setOption(QFileDialog::DontUseNativeDialog);
  EXPECT_EQ(files.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text(),
            QStringLiteral("Отмена"));
  QFontDialog fonts;
  EXPECT_EQ(fonts.windowTitle(), QStringLiteral("Выбор шрифта"));

  for (QTranslator* t : installed) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
}

}  // namespace
}  // namespace qm
