// Proportional resizer of one control: remembers the control's bounds when it is created (the
// design bounds, since resizers are created before any saved font is applied) and rescales the
// control by the font factors, or puts it back to the remembered bounds.
#pragma once

#include <memory>

#include "app/LayoutGeometry.h"

namespace qm {

class TSingleResizer {
 public:
  // Takes the control's current bounds as the saved ones (zeros for a control already gone).
  // Every bound follows the factors except a label's width and a panel's top.
  explicit TSingleResizer(std::shared_ptr<LayoutControl> control);

  // Rescales the control's current bounds: left and width by `h`, top and height by `v`, each
  // only if its flag is set, rounded half to even. `v` == 0 instead restores the saved value of
  // every flagged bound and leaves the others as they are, so returning to the design font puts
  // the control back exactly, without the drift of repeated rounding. A control that is gone or
  // fills its parent's client area is left alone.
  void Resize(double h, double v);

  const Bounds& Saved() const { return saved_; }
  bool ScaleLeft() const { return scaleLeft_; }
  bool ScaleTop() const { return scaleTop_; }
  bool ScaleWidth() const { return scaleWidth_; }
  bool ScaleHeight() const { return scaleHeight_; }

 private:
  // The adapter is shared with the window layer; the widget behind it is not owned.
  std::shared_ptr<LayoutControl> control_;
  Bounds saved_;
  bool scaleHeight_ = true;
  bool scaleLeft_ = true;
  bool scaleTop_ = true;
  bool scaleWidth_ = true;
};

}  // namespace qm
