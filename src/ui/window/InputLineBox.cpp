#include "ui/window/InputLineBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

TInputLineBox::TInputLineBox(const QString& caption, const QString& prompt,
                             const QString& defaultText, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("InputLineBox"));
  setWindowTitle(caption);

  prompt_ = new QLabel(prompt);
  prompt_->setObjectName(QStringLiteral("Prompt"));
  field_ = new QLineEdit(defaultText);
  field_->setObjectName(QStringLiteral("Field"));
  field_->selectAll();
  prompt_->setBuddy(field_);

  auto* buttons = new QDialogButtonBox;
  // Named here rather than left to the platform's translation of the standard buttons.
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setDefault(true);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("CancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt_);
  layout->addWidget(field_);
  layout->addWidget(buttons);
  setMinimumWidth(280);
  setFixedHeight(sizeHint().height());
}

QString TInputLineBox::Text() const {
  return field_->text();
}

std::optional<QString> ShowInputLineBox(QWidget* parent, const QString& caption,
                                        const QString& prompt, const QString& defaultText) {
  TInputLineBox box(caption, prompt, defaultText, parent);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return box.Text();
}

}  // namespace qm
