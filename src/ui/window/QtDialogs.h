// The core's dialogs with Qt widgets: message boxes, the one-line input box, the progress window
// and the common file dialogs. Texts arrive and leave as Windows-1251.
#pragma once

#include <QPointer>
#include <QSize>

#include "base/Dialogs.h"

class QWidget;

namespace qm {

class TProgressBox;

class QtDialogs : public Dialogs {
 public:
  // Boxes are centred on `owner`. The progress window is attached once it exists; until then the
  // progress calls do nothing (no transfer runs before start-up has created it). While the
  // progress window shows, message boxes and the number input belong to it and stay on top as
  // it does: the progress window is above every other window, and a box under it would hide its
  // buttons (the close question during a read, a failure box).
  explicit QtDialogs(QWidget* owner);
  void AttachProgressBox(TProgressBox* box);

  DialogButton ShowMessage(const MessageBoxRequest& request) override;
  std::optional<std::string> InputLine(const std::string& caption, const std::string& prompt,
                                       const std::string& defaultText) override;
  void ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                    int start) override;
  bool StepProgress(int position) override;
  void HideProgress() override;
  std::optional<FileDialogAnswer> ChooseFile(const FileDialogRequest& request) override;

 private:
  // The progress window while it shows, else the owner.
  QWidget* BoxParent() const;
  // Keeps a box over the progress window when that is its parent.
  void KeepAbove(QWidget& box) const;

  QPointer<QWidget> owner_;
  QPointer<TProgressBox> progress_;
  QSize fileDialogSize_;  // the file dialog's size when it last closed; invalid before
};

// "Description|*.ext|Description|*.a;*.b" as the Qt file dialogs want it:
// "Description (*.ext);;Description (*.a *.b)". A description that already names its patterns
// in brackets is kept as it is.
QStringList QtFileFilters(const std::string& filter);
// The extension of a Qt filter with one plain pattern ("Файл товаров (*.plw)" -> "plw"); empty for
// several patterns or wildcards ("*.*").
QString SingleFilterSuffix(const QString& qtFilter);

}  // namespace qm
