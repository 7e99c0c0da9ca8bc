#include "ui/window/QtDialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>
#include <algorithm>

#include "ui/window/QtText.h"
#include "ui/window/TProgressBox.h"

namespace qm {
namespace {

QMessageBox::Icon ToQtIcon(DialogIcon icon) {
  switch (icon) {
    case DialogIcon::Error:
      return QMessageBox::Critical;
    case DialogIcon::Warning:
      return QMessageBox::Warning;
    case DialogIcon::Question:
      return QMessageBox::Question;
    case DialogIcon::Information:
      return QMessageBox::Information;
    case DialogIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

struct ButtonPair {
  DialogButton ours;
  QMessageBox::StandardButton qt;
};
// In the order the boxes offer them.
constexpr ButtonPair kButtons[] = {{kButtonYes, QMessageBox::Yes},
                                   {kButtonNo, QMessageBox::No},
                                   {kButtonOk, QMessageBox::Ok},
                                   {kButtonCancel, QMessageBox::Cancel}};

// Qt sizes the columns of its file dialog for English samples and opens the dialog too narrow
// for the size, type and date columns in Russian. Each column beyond the name gets the width of
// its title and of what it shows; with `widen` the dialog grows (within the screen) until the
// last column ends inside the list.
void FitFileColumns(QFileDialog& dialog, QTreeView& details, bool widen) {
  QHeaderView* header = details.header();
  const QAbstractItemView& items = details;  // QTreeView hides the column hint
  const int last = header->count() - 1;
  int wanted = 0;
  for (int column = 0; column <= last; ++column) {
    const int fits = std::max(items.sizeHintForColumn(column), header->sectionSizeHint(column));
    const int width = column == 0 ? details.columnWidth(0) : std::max(details.columnWidth(column), fits);
    if (column > 0 && width != details.columnWidth(column)) details.setColumnWidth(column, width);
    wanted += column == last ? fits : width;
  }
  const int missing = wanted - details.viewport()->width();
  if (!widen || missing <= 0) return;
  const QScreen* screen = dialog.screen();
  const int room = screen ? screen->availableGeometry().width() - (dialog.frameGeometry().width() - dialog.width())
                          : dialog.width() + missing;
  dialog.resize(std::min(dialog.width() + missing, room), dialog.height());
}

}  // namespace

QtDialogs::QtDialogs(QWidget* owner) : owner_(owner) {}

void QtDialogs::AttachProgressBox(TProgressBox* box) {
  progress_ = box;
}

QWidget* QtDialogs::BoxParent() const {
  if (progress_ && progress_->isVisible()) return progress_;
  return owner_;
}

void QtDialogs::KeepAbove(QWidget& box) const {
  if (progress_ && box.parentWidget() == progress_) box.setWindowFlag(Qt::WindowStaysOnTopHint);
}

DialogButton QtDialogs::ShowMessage(const MessageBoxRequest& request) {
  QMessageBox box(ToQtIcon(request.icon), ToQString(request.caption), ToQString(request.text),
                  QMessageBox::NoButton, BoxParent());
  KeepAbove(box);
  int offered = request.buttons != kButtonNone ? request.buttons : kButtonOk;
  DialogButton first = kButtonNone;
  for (const ButtonPair& b : kButtons) {
    if (!(offered & b.ours)) continue;
    box.addButton(b.qt);
    if (first == kButtonNone) first = b.ours;
  }
  const DialogButton preferred =
      (request.defaultButton != kButtonNone && (offered & request.defaultButton))
          ? request.defaultButton
          : first;
  for (const ButtonPair& b : kButtons) {
    if (b.ours == preferred) box.setDefaultButton(b.qt);
  }
  // Closing the box counts as Cancel when offered, otherwise as No, otherwise as OK.
  DialogButton onClose = (offered & kButtonCancel) ? kButtonCancel
                         : (offered & kButtonNo)   ? kButtonNo
                                                   : kButtonOk;
  if (!(offered & onClose)) onClose = first;
  for (const ButtonPair& b : kButtons) {
    if (b.ours == onClose) box.setEscapeButton(b.qt);
  }

  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (const ButtonPair& b : kButtons) {
    if ((offered & b.ours) && clicked == box.button(b.qt)) return b.ours;
  }
  return onClose;
}

std::optional<std::string> QtDialogs::InputLine(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& defaultText) {
  QInputDialog input(BoxParent());
  KeepAbove(input);
  input.setWindowTitle(ToQString(caption));
  input.setLabelText(ToQString(prompt));
  input.setTextValue(ToQString(defaultText));
  if (input.exec() != QDialog::Accepted) return std::nullopt;
  return FromQString(input.textValue());
}

void QtDialogs::ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                             int start) {
  if (progress_) progress_->ShowProgress(ToQString(title), ToQString(doneLabel), total, start);
}

bool QtDialogs::StepProgress(int position) {
  return progress_ ? progress_->StepProgress(position) : false;
}

void QtDialogs::HideProgress() {
  if (progress_) progress_->hide();
}

QStringList QtFileFilters(const std::string& filter) {
  const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open >= 0 && description.endsWith(QLatin1Char(')'))) {
      // The description may name its patterns already ("Файл данных (*.csv)"); Qt reads them
      // blank-separated. Words in brackets that are not the patterns ("CSV файл (совместимый с
      // Excel)") stay part of the description, and the patterns follow them.
      QString named = description.mid(open + 1, description.size() - open - 2);
      named.replace(QLatin1Char(';'), QLatin1Char(' '));
      if (named.simplified() == patterns.simplified()) {
        filters << description.left(open) + QLatin1Char('(') + named + QLatin1Char(')');
        continue;
      }
    }
    filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return filters;
}

QString SingleFilterSuffix(const QString& qtFilter) {
  const qsizetype open = qtFilter.lastIndexOf(QLatin1Char('('));
  if (open < 0 || !qtFilter.endsWith(QLatin1Char(')'))) return {};
  const QString patterns = qtFilter.mid(open + 1, qtFilter.size() - open - 2).trimmed();
  if (!patterns.startsWith(QStringLiteral("*.")) || patterns.contains(QLatin1Char(' '))) return {};
  const QString suffix = patterns.mid(2);
  if (suffix.isEmpty() || suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')))
    return {};
  return suffix;
}

std::optional<FileDialogAnswer> QtDialogs::ChooseFile(const FileDialogRequest& request) {
  QFileDialog dialog(owner_, ToQString(request.title));
  const bool save = request.kind == FileDialogKind::Save;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = QtFileFilters(request.filter);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
  }
  if (!request.defaultExt.empty()) dialog.setDefaultSuffix(ToQString(request.defaultExt));
  // A name typed without an extension gets the one of the filter chosen, so that a table saved
  // as a native file is not named ".csv" (and then refused by the data file filter).
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
    const QString suffix = SingleFilterSuffix(f);
    if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
  });
  // Paths cross to the core in UTF-8 on every platform: the file system's own encoding here,
  // and what the core's files turn into wide names on Windows (the ANSI code page that
  // QFile::encodeName gives there would lose every name outside it).
  if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
  // The size the dialog closed with, the operator's own or the one it widened to, is kept for
  // the rest of the run (not in the settings); until the first close the dialog widens to show
  // its columns whenever a folder has been read.
  const bool widen = !fileDialogSize_.isValid();
  if (!widen) dialog.resize(fileDialogSize_);
  auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (auto* files = dialog.findChild<QFileSystemModel*>(); files && details) {
    QObject::connect(files, &QFileSystemModel::directoryLoaded, &dialog,
                     [&dialog, details, widen] { FitFileColumns(dialog, *details, widen); });
  }
  const int shown = dialog.exec();
  fileDialogSize_ = dialog.size();
  if (shown != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;

  FileDialogAnswer answer;
  answer.path = dialog.selectedFiles().constFirst().toStdString();
  const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
  answer.filterIndex = index >= 0 ? static_cast<int>(index) + 1 : request.filterIndex;
  return answer;
}

}  // namespace qm
