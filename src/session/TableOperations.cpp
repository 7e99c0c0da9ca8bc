#include "session/TableOperations.h"

#include "base/Cp1251.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluTable.h"
#include "tables/TextGrid.h"

namespace qm {

MatchReport MatchPluTable(TextGrid& plu, ModifiedFlags& flags, int maxPluNo) {
  static const std::string kMatched = Win1251("Номера товаров и PLU приведены в соответствие.");
  // The flag goes first, so Save is enabled before the long rewrite starts.
  flags.MarkModified(true, false);
  MatchReport report;
  static_cast<PluMatchOutcome&>(report) = MatchPluRows(plu, maxPluNo);
  report.message = kMatched;
  report.countText = PluCountText(plu);
  return report;
}

}  // namespace qm
