// The sales totals as the totals page shows them: what a totals read fills, the erase clears and
// the totals report writes. Texts are Windows-1251.
#pragma once

#include <string>

namespace qm {

// The values of the totals page, each as its field shows it (only a field's first line is
// written), and the current title of the totals panel.
struct TotalsPage {
  std::string title;  // "Общий итог продаж" or "Общий итог продаж с " + date + ", " + time
  std::string sum;        // GTSum, roubles
  std::string weight;     // GTWeight, kg
  std::string sells;      // GTSells
  std::string sumPlu;     // GTSumPLU, roubles
  std::string weightPlu;  // GTWeightPLU, kg
  std::string sellsPlu;   // GTSellsPLU
  std::string freePlu;    // GTFreePLU
  std::string freeMsg;    // GTFreeMSG
  std::string labels;     // GTLabels
  std::string run;        // GTRun, mm
};

}  // namespace qm
