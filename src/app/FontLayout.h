// The font-driven layout of the main window: when the operator picks another font, the window,
// its panes, every control on the tab pages and the live display panels are rescaled by factors
// taken from the old and the new font, and the columns of both grids are fitted again. The
// operator may drag the window to any size not below a minimum that follows the font.
//
// One instance, owned by the main window, used on the GUI thread only. It computes everything and
// applies it through LayoutHost and the LayoutControl adapters.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/LayoutHost.h"
#include "app/SingleResizer.h"

namespace qm {

// Design constants: the layout as drawn, at the design font.
inline constexpr std::int32_t kDesignFormWidth = 640;
inline constexpr std::int32_t kDesignFormHeight = 480;
inline constexpr double kFontScaleUnit = 1000;  // the accumulators' value at the design font
inline constexpr double kBoldWidening = 1.15;   // a bold font is this much wider
inline constexpr std::int32_t kDesignDisplayFontSize = 10;
// Relative widths of the 14 PLU grid columns (PluNo ... SalesWeight); they add up to 79.
inline constexpr std::array<int, 14> ColumnWeights = {4, 8, 8, 6, 6, 6, 6, 6, 4, 4, 6, 5, 5, 5};
// Share of the message grid's width that the number column takes.
inline constexpr double kMessageFirstColumnShare = 0.33;

struct LayoutState {
  // Products of all vertical and horizontal font factors so far, times 1000.
  double FontScaleV = kFontScaleUnit;
  double FontScaleH = kFontScaleUnit;
  // Smallest window size the operator may drag to.
  std::int32_t MinFormWidth = kDesignFormWidth;
  std::int32_t MinFormHeight = kDesignFormHeight;
  // Window size the panes were last fitted to.
  std::int32_t LayoutWidth = kDesignFormWidth;
  std::int32_t LayoutHeight = kDesignFormHeight;
  // ApplyFont is running: window resizes it causes are accepted as they come.
  bool FontApplying = false;
};

struct FontFactors {
  double h = 1;  // horizontal
  double v = 1;  // vertical
};

// The factors that take the layout from font `before` to font `after`: v is the ratio of the
// heights; h is v, narrowed when `before` is bold and widened when `after` is bold. Nothing when
// either height is unknown (0), since no ratio can be taken then.
std::optional<FontFactors> ComputeFontFactors(const FontMetrics& before, const FontMetrics& after);

class FontLayout {
 public:
  explicit FontLayout(LayoutHost& host) : host_(host) {}
  FontLayout(const FontLayout&) = delete;
  FontLayout& operator=(const FontLayout&) = delete;

  // Start-up, while the window has its design layout: minimum and fitted size 640 x 480, window
  // size 640 x 480, grid columns fitted, accumulators at 1000, resizers registered (so their saved
  // bounds are the design bounds).
  void StartAtDesignSize();

  // Gives the window a new font and rescales the layout. `giveNewFont` sets the font on the
  // window; the host's WindowFont() is read before and after it. Resize requests that arrive
  // meanwhile are accepted unchanged. When no factor can be taken (a height of 0), the font is
  // given but the layout is left as it is.
  void ApplyFont(const std::function<void()>& giveNewFont);

  // Rescales window, panes, grids and registered controls by the horizontal factor `h` and the
  // vertical factor `v`. Factors that are not finite and positive are ignored. When the factors
  // bring the layout back to the design font, the page pane, the status bar and the grids' row
  // heights take their design values again, and so does the window size it had when it left the
  // design font, unless the window was resized in between: no rounding is left behind.
  void ScaleLayout(double h, double v);

  // Recomputes the column widths of both grids from their current widths.
  void FitGridColumns();

  // The window asks whether it may take the outer size `requested`. Returns the size it may take:
  // unchanged while a font is being applied, otherwise raised to the minimum. The grids take the
  // difference to the last fitted size; the page pane keeps its size. Safe to call again with the
  // size it returned (the difference is then 0).
  Size ResizeRequest(Size requested);

  // Replaces the resizers by one for every control on the pages of the page pane, to any depth,
  // then one for each display panel.
  void RegisterResizers();

  // Start-up, after the saved font: sets the window width to `savedWidth`, then the height to
  // `savedHeight`, each through ResizeRequest.
  void ApplySavedSize(std::int32_t savedWidth, std::int32_t savedHeight);

  // At close.
  void FreeResizers() { resizers_.clear(); }

  const LayoutState& State() const { return state_; }
  const std::vector<TSingleResizer>& Resizers() const { return resizers_; }

 private:
  // What the design font gives; restored exactly when the font comes back to it.
  struct DesignPanes {
    Bounds pagePane;
    std::int32_t statusBar = 0;
    std::int32_t pluRowHeight = 0;
    std::int32_t messageRowHeight = 0;
  };

  void AddResizersBelow(const LayoutControl& container);
  // ScaleLayout with the client area and tool bar as they were before the window took its new
  // font: the window's own parts outside the client area (its menu bar) and the tool bar may
  // change with the font, and only the client area below the tool bar is scaled.
  void Rescale(double h, double v, Size clientBefore, std::int32_t toolBarBefore);

  LayoutHost& host_;
  LayoutState state_;
  std::vector<TSingleResizer> resizers_;
  DesignPanes design_;
  // The window size when the layout last left the design font, and whether the window has been
  // resized since (then the way back is scaled, not restored).
  Size designWindow_{kDesignFormWidth, kDesignFormHeight};
  bool resizedAwayFromDesign_ = false;
};

}  // namespace qm
