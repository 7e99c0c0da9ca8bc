#include "transfer/GrandTotals.h"

#include <string>

#include "base/WireCodecs.h"
#include "transfer/TransferTexts.h"

namespace qm {

TotalsPage DecodeGrandTotals(std::string_view reply) {
  std::string bytes(reply.substr(0, kGrandTotalsSize));
  bytes.resize(kGrandTotalsSize, '\0');
  const std::string_view b(bytes);
  auto integer = [&](std::size_t offset, std::size_t width) {
    return LeBytesToInt(b.substr(offset, width));
  };

  TotalsPage page;
  page.run = std::to_string(integer(0, 4));
  page.labels = std::to_string(integer(4, 4));
  page.sum = MinorUnitsToDecimal(integer(8, 4), 2);
  page.sells = std::to_string(integer(12, 3));
  page.weight = MinorUnitsToDecimal(integer(15, 4), 3);
  page.sumPlu = MinorUnitsToDecimal(integer(19, 4), 2);
  page.sellsPlu = std::to_string(integer(23, 3));
  page.weightPlu = MinorUnitsToDecimal(integer(26, 4), 3);
  const std::string time = BytesToHexText(ReverseBytes(bytes.substr(30, 3)), ':');
  const std::string date = BytesToHexText(b.substr(33, 3), '.');
  page.title = kTotalsSincePrefix + date + ", " + time;
  page.freePlu = std::to_string(integer(36, 2));
  page.freeMsg = std::to_string(integer(38, 2));
  return page;
}

TotalsPage ClearedTotalsPage() {
  TotalsPage page;
  page.title = kTotalsTitle;
  return page;
}

}  // namespace qm
