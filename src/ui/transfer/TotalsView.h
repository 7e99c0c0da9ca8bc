// The "Общий итог" page of the main window: the group "Общий итог продаж" (its title carries
// the date and time the totals started once they were read) with the eight sales fields, and
// the group "Принтер" with the printer's run length and label count.
//
// Fields are borderless, right-aligned, read-only single-line fields, wide enough for the
// longest text a reply can give (11 characters: 42949672.95). They are not limited to 10
// characters by a maximum length, because Qt would cut a longer value that the program sets;
// being read-only, nothing can be typed into them.
// All controls are placed absolutely in design coordinates of the 535 x 230 page pane, so the
// font-driven layout can rescale them like every other control on the pages.
//
// Texts: TotalsPage holds Windows-1251; the widgets hold QString. Window thread only; the
// widgets are children of the page.
#pragma once

#include "files/FileLayouts.h"

class QGroupBox;
class QLineEdit;
class QWidget;

namespace qm {

class TotalsView {
 public:
  // Builds the groups, labels and fields on `page`.
  explicit TotalsView(QWidget* page);

  // Shows the texts and the title of `totals`.
  void Show(const TotalsPage& totals);

  QGroupBox* SalesBox = nullptr;    // "Общий итог продаж"
  QGroupBox* PrinterBox = nullptr;  // "Принтер"
  QLineEdit* GTSum = nullptr;
  QLineEdit* GTSells = nullptr;
  QLineEdit* GTWeight = nullptr;
  QLineEdit* GTSumPLU = nullptr;
  QLineEdit* GTSellsPLU = nullptr;
  QLineEdit* GTWeightPLU = nullptr;
  QLineEdit* GTFreePLU = nullptr;
  QLineEdit* GTFreeMSG = nullptr;
  QLineEdit* GTRun = nullptr;
  QLineEdit* GTLabels = nullptr;
};

}  // namespace qm
