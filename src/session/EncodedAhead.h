// The records of a row-by-row write, encoded a batch of rows at a time ahead of their sending.
// Encoding a row is most of the program's own work between one acknowledgement and the next
// request; done there for every row, it delays the scale on a fast line by more than it costs.
// A batch encoded in one go costs a fraction of that per row and sits on the path once.
//
// What is sent stays what the table holds when the row's turn comes: any change to the grid's
// cells or rows (by anyone) forgets the batch, and the row is encoded again from the table.
//
// The grid must outlive this object; `encode` must depend on the row's cells alone.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tables/TextGrid.h"

namespace qm {

class EncodedAhead : public GridObserver {
 public:
  static constexpr int Batch = 64;

  // Rows up to `lastRow` (and the table's last row) are encoded ahead; none past them.
  EncodedAhead(TextGrid& grid, std::function<std::string(const Cells&)> encode, int lastRow);
  ~EncodedAhead() override;
  EncodedAhead(const EncodedAhead&) = delete;
  EncodedAhead& operator=(const EncodedAhead&) = delete;

  // The record of `row` as the table holds it now (also when asked for again).
  std::string Take(int row);

  void RowsAboutToBeInserted(int, int) override { Forget(); }
  void RowsAboutToBeRemoved(int, int) override { Forget(); }
  void CellsChanged(int, int) override { Forget(); }
  void AboutToReorder() override { Forget(); }
  void AboutToReset() override { Forget(); }

 private:
  void Forget() { records_.clear(); }

  TextGrid& grid_;
  std::function<std::string(const Cells&)> encode_;
  int lastRow_;
  int firstRow_ = 0;  // the row records_[0] belongs to
  // Rows firstRow_.. encoded (a taken one is empty again); no rows when forgotten.
  std::vector<std::optional<std::string>> records_;
};

}  // namespace qm
