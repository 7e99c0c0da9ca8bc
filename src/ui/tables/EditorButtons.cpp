#include "ui/tables/EditorButtons.h"

#include <QString>

namespace qm {

std::vector<QPushButton*> MakeEditorButtons(QWidget* page, std::span<const EditorButton> buttons,
                                            QRect first, QPoint step) {
  std::vector<QPushButton*> made;
  QRect geometry = first;
  for (const EditorButton& s : buttons) {
    auto* b = new QPushButton(QString::fromLatin1(s.caption), page);
    b->setObjectName(QString::fromLatin1(s.name));
    b->setToolTip(QString::fromUtf8(s.hint));
    b->setAutoDefault(false);
    b->setGeometry(geometry);
    geometry.translate(step);
    *s.button = b;
    made.push_back(b);
  }
  return made;
}

}  // namespace qm
