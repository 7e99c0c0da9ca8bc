// What the main window gives the font-driven layout: sizes of the window and its panes, the two
// grids and the live display panels. The window layer implements it over its widgets; the core
// (FontLayout) computes every new size and applies it only through these calls.
//
// Coordinates are pixels in the window's client area (below the menu; the tool bar, the panes and
// the status bar all lie inside it). Every getter must reflect a setter called just before it:
// the layout sets the window size and then reads the new client size, sets a grid's bounds and
// then reads the grid's new client width.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/LayoutGeometry.h"

namespace qm {

enum class LayoutGrid { kPlu, kMessage };

// The two facts of a font that the layout factors come from. `height` is the font's height in
// pixels as the toolkit reports it (its sign is ignored); 0 means "not known".
struct FontMetrics {
  std::int32_t height = 0;
  bool bold = false;
};

class LayoutHost {
 public:
  virtual ~LayoutHost() = default;

  // The window's outer size (frame and caption included) and its client size.
  virtual Size WindowSize() const = 0;
  virtual Size ClientSize() const = 0;
  // Sets the outer size, leaving left and top unchanged. The window may deliver a resize request
  // (FontLayout::ResizeRequest) from inside this call; the layout is prepared for that.
  virtual void SetWindowSize(Size size) = 0;

  // The font the main window has now.
  virtual FontMetrics WindowFont() const = 0;

  virtual std::int32_t ToolBarHeight() const = 0;
  virtual std::int32_t StatusBarHeight() const = 0;
  virtual void SetStatusBarHeight(std::int32_t height) = 0;

  virtual Bounds PagePaneBounds() const = 0;
  virtual void SetPagePaneBounds(const Bounds& bounds) = 0;

  virtual Bounds GridBounds(LayoutGrid grid) const = 0;
  virtual void SetGridBounds(LayoutGrid grid, const Bounds& bounds) = 0;
  // Width of the grid's cell area (without border and frame).
  virtual std::int32_t GridClientWidth(LayoutGrid grid) const = 0;
  // Width the grid's vertical scroll bar takes from the cell area; 0 while it is not shown.
  virtual std::int32_t GridScrollBarWidth(LayoutGrid /*grid*/) const { return 0; }
  virtual int GridColumnCount(LayoutGrid grid) const = 0;
  virtual std::int32_t GridDefaultRowHeight(LayoutGrid grid) const = 0;
  virtual void SetGridDefaultRowHeight(LayoutGrid grid, std::int32_t height) = 0;
  // One width per column, from column 0; never negative.
  virtual void SetGridColumnWidths(LayoutGrid grid, const std::vector<std::int32_t>& widths) = 0;

  // The pages of the page pane ("Товар", "Сообщение", "Общий итог"), each as a container whose
  // children are the controls placed on it.
  virtual std::vector<std::shared_ptr<LayoutControl>> Pages() const = 0;
  // The four live display panels: PLU number, weight, unit price, total price.
  virtual std::vector<std::shared_ptr<LayoutControl>> DisplayPanels() const = 0;
  // Font size in points of the four display panels.
  virtual void SetDisplayFontSize(std::int32_t points) = 0;
};

}  // namespace qm
