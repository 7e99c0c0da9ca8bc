// The decoders of the scale's replies: a PLU record (100 bytes), a message block (400), the
// sales totals (40) and the live display (15), each fed what a faulty line could deliver; the
// decoded PLU row is encoded again as the write would send it. The first byte chooses.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "link/LivePoll.h"
#include "transfer/GrandTotals.h"
#include "transfer/MessageBlock.h"
#include "transfer/PluRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view reply(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0: {
      const qm::Cells row = qm::PluRowFromReply(reply);
      if (qm::EncodePluRecord(row).size() != std::size_t{qm::kPluWriteRecordSize}) std::abort();
      break;
    }
    case 1:
      (void)qm::EncodeMessageRecord(1, qm::DecodeMessageBlock(reply));
      break;
    case 2:
      (void)qm::DecodeGrandTotals(reply);
      break;
    default:
      (void)qm::DecodeDisplay(reply);
      break;
  }
  return 0;
}
