#include "ctl/FindingPrinter.h"

#include <ostream>

#include "base/Captions.h"
#include "base/Cp1251.h"
#include "tables/PluColumns.h"

namespace qm::ctl {

void PrintFinding(std::ostream& out, const std::string& file, const DataFinding& finding) {
  out << file << ": ";
  if (finding.table == FindingTable::Plu) {
    const int column = finding.column == kSizeFinding ? kPluNo : finding.column;
    out << "row " << finding.row << " ("
        << Utf8(PluColumnTitles().at(static_cast<std::size_t>(column))) << "): ";
  } else if (finding.row > 0) {
    out << "message " << finding.row << ": ";
  }
  const bool warning = finding.kind == FindingKind::Warning;
  out << Utf8(warning ? kWarningCaption : kErrorCaption) << ": " << Utf8(finding.text) << '\n';
}

void PrintFindings(std::ostream& out, const std::string& file,
                   const std::vector<DataFinding>& findings) {
  for (const DataFinding& finding : findings) PrintFinding(out, file, finding);
}

void PrintCheckBeforeWrite(std::ostream& out, const std::string& file,
                           const ValidationOptions& scope, const TextGrid& plu,
                           const MessageTable& messages, const TScaleParams& limits) {
  PrintFindings(out, file, FindAll(scope, plu, messages, limits).findings);
}

}  // namespace qm::ctl
