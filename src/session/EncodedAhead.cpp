#include "session/EncodedAhead.h"

#include <algorithm>
#include <utility>

namespace qm {

EncodedAhead::EncodedAhead(TextGrid& grid, std::function<std::string(const Cells&)> encode,
                           int lastRow)
    : grid_(grid), encode_(std::move(encode)), lastRow_(lastRow) {
  grid_.AddObserver(this);
}

EncodedAhead::~EncodedAhead() {
  grid_.RemoveObserver(this);
}

std::string EncodedAhead::Take(int row) {
  const auto index = static_cast<std::size_t>(row - firstRow_);
  if (row < firstRow_ || index >= records_.size() || !records_[index]) {
    records_.clear();
    firstRow_ = row;
    // Not past the table's end either: it may have lost rows since the write began.
    const int last = std::max(row, std::min({lastRow_, grid_.DataRowCount(), row + Batch - 1}));
    for (int r = row; r <= last; ++r) records_.emplace_back(encode_(grid_.Row(r)));
    return *std::exchange(records_.front(), std::nullopt);
  }
  return *std::exchange(records_[index], std::nullopt);
}

}  // namespace qm
