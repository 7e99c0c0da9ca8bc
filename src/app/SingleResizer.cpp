#include "app/SingleResizer.h"

#include <utility>

namespace qm {

TSingleResizer::TSingleResizer(std::shared_ptr<LayoutControl> control)
    : control_(std::move(control)) {
  if (!control_) return;
  switch (control_->Kind()) {
    case ControlKind::kLabel:
      scaleWidth_ = false;
      break;
    case ControlKind::kPanel:
      scaleTop_ = false;
      break;
    case ControlKind::kOther:
      break;
  }
  if (control_->Alive()) saved_ = control_->GetBounds();
}

void TSingleResizer::Resize(double h, double v) {
  if (!control_ || !control_->Alive() || control_->FillsParentClient()) return;
  Bounds b = control_->GetBounds();
  if (v == 0) {
    if (scaleHeight_) b.height = saved_.height;
    if (scaleLeft_) b.left = saved_.left;
    if (scaleTop_) b.top = saved_.top;
    if (scaleWidth_) b.width = saved_.width;
  } else {
    if (scaleHeight_) b.height = RoundHalfEven(b.height * v);
    if (scaleWidth_) b.width = RoundHalfEven(b.width * h);
    if (scaleLeft_) b.left = RoundHalfEven(b.left * h);
    if (scaleTop_) b.top = RoundHalfEven(b.top * v);
  }
  control_->SetBounds(b);
}

}  // namespace qm
