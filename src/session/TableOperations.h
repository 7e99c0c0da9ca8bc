// Operations on the session's tables that need neither the scale nor a file, as operations that
// return reports: nothing here asks the operator anything or shows a box. The window's match
// command (app/MatchFlow.h) and qmctl's `match` are built on them. Texts are Windows-1251; one
// thread at a time (the session's).
#pragma once

#include <string>

#include "session/SessionTables.h"
#include "tables/PluMatching.h"

namespace qm {

class ModifiedFlags;
class TextGrid;

// What matching did to the PLU table (PluMatchOutcome: the row counts and the rows dropped, by
// reason) and what the operator is told afterwards.
struct MatchReport : PluMatchOutcome {
  std::string message;    // "Номера товаров и PLU приведены в соответствие."
  std::string countText;  // the PLU-count panel: "<rowsAfter> PLU"
};

// Marks the PLU table modified -- always, even when the rows come out as they were, since every
// row is renormalised -- and then puts every row at the position of its PLU number
// (MatchPluRows) with `maxPluNo` the highest number kept. The cursor goes to row 1; a caller
// that shows the table puts it back.
MatchReport MatchPluTable(TextGrid& plu, ModifiedFlags& flags, int maxPluNo);

inline MatchReport MatchPluTable(SessionTables& tables, int maxPluNo) {
  return MatchPluTable(tables.plu, tables.flags, maxPluNo);
}

}  // namespace qm
