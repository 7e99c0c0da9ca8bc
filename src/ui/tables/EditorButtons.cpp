#include "ui/tables/EditorButtons.h"

#include <QString>

namespace qm {

std::vector<QPushButton*> MakeEditorButtons(QWidget* page, const char* prefix,
                                            const EditorButtonRow& row, QRect first, QPoint step) {
  static constexpr std::array<const char*, 7> kCommands = {"Write", "Add",  "Ins",  "Clear",
                                                           "Del",   "Copy", "Paste"};
  std::vector<QPushButton*> made;
  QRect geometry = first;
  for (std::size_t i = 0; i < kCommands.size(); ++i) {
    auto* b = new QPushButton(QString::fromLatin1(kCommands[i]), page);
    b->setObjectName(QString::fromLatin1(prefix) + QString::fromLatin1(kCommands[i]));
    b->setToolTip(QString::fromUtf8(row.hints[i]));
    b->setAutoDefault(false);
    b->setGeometry(geometry);
    geometry.translate(step);
    *row.places[i] = b;
    made.push_back(b);
  }
  return made;
}

}  // namespace qm
