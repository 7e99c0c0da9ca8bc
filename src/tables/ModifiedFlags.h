// The three unsaved-changes flags and the Save tool button that follows them: Save is enabled
// exactly when one of the flags is set.
#pragma once

namespace qm {

class StatusView;

class ModifiedFlags {
 public:
  // `view` may be null (headless use); it is not owned and must outlive this object.
  explicit ModifiedFlags(StatusView* view = nullptr) : view_(view) {}

  bool PluTableModified() const { return plu_; }
  bool MessageTableModified() const { return msg_; }
  bool TotalsModified() const { return totals_; }
  bool Any() const { return plu_ || msg_ || totals_; }

  // Sets the PLU and/or message flag and enables Save; does nothing when both are false.
  void MarkModified(bool pluTable, bool messageTable);
  void SetTotalsModified(bool modified);
  void ClearPlu();
  void ClearMessages();
  void ClearTotals();
  void ClearAll();

 private:
  void Refresh();
  StatusView* view_;
  bool plu_ = false;
  bool msg_ = false;
  bool totals_ = false;
};

}  // namespace qm
