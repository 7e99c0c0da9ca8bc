// Value types and the control seam of the font-driven layout. All geometry is in device pixels,
// relative to the control's parent (the main window's client area for top-level panes).
// The window layer wraps each real widget in a LayoutControl; the core computes every new bound
// and only applies it through these interfaces.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

struct Bounds {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Rounds to the nearest integer, ties to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2),
// independently of the floating-point environment's rounding mode. Values beyond the 32-bit range
// saturate at its ends and NaN gives 0, so a wild factor can never overflow a bound.
std::int32_t RoundHalfEven(double value);

// Narrows a 64-bit intermediate to 32 bits, saturating at the ends of the range.
std::int32_t Saturate32(std::int64_t value);

// Which bounds of a control follow the font: labels keep their width (they size themselves to
// their text), panels keep their top (the live display panels stay on the row of the page tabs).
enum class ControlKind { kOther, kLabel, kPanel };

// One real widget as the layout sees it. The adapter does not own the widget; it must notice when
// the widget is destroyed (Alive() false) rather than dangle.
class LayoutControl {
 public:
  virtual ~LayoutControl() = default;
  // False once the widget behind the adapter is gone.
  virtual bool Alive() const = 0;
  // True when the widget is laid out to fill its parent's client area (a tab page, a client-
  // aligned editor); such controls follow their parent and are never moved by the resizers.
  virtual bool FillsParentClient() const = 0;
  virtual ControlKind Kind() const = 0;
  virtual Bounds GetBounds() const = 0;
  // Moves and sizes the widget in one step.
  virtual void SetBounds(const Bounds& bounds) = 0;
  // The direct children of a container, in the widget's own order; empty for a plain control.
  virtual std::vector<std::shared_ptr<LayoutControl>> Children() const = 0;
};

}  // namespace qm
