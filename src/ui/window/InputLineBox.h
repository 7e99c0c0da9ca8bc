// The modal one-line input box: a caption, the prompt above the field, the default text in the
// field (selected, so typing replaces it), and OK / Cancel.
#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;

namespace qm {

class TInputLineBox : public QDialog {
  Q_OBJECT

 public:
  TInputLineBox(const QString& caption, const QString& prompt, const QString& defaultText,
                QWidget* parent = nullptr);

  QString Text() const;

 private:
  QLabel* prompt_ = nullptr;
  QLineEdit* field_ = nullptr;
};

// Shows the box modally; the text in the field after OK, or nothing after Cancel or closing.
std::optional<QString> ShowInputLineBox(QWidget* parent, const QString& caption,
                                        const QString& prompt, const QString& defaultText);

}  // namespace qm
