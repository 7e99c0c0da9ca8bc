// The font-driven layout in the real window: LayoutHost over the main window and LayoutControl
// over its widgets, the start-up steps that apply the saved font and size, the window's resize
// handling and the command of the font button `SelectFont`.
//
// Coordinates: the layout's client area is the window below its menu bar; the tool bar takes its
// top, the status bar its bottom. The page pane, the grids and the display panels are children of
// the central widget, which starts right under the tool bar; bounds are translated between the
// two by the central widget's offset. The window size is QWidget::size() (no window-manager
// frame), the numbers the settings keep.
//
// Widgets are held through QPointer and never owned: a widget that is destroyed is simply seen as
// gone. Which bounds follow the font: a QLabel's width is not scaled (label kind) but follows its
// text, as a self-sizing label's does: one laid out at its text's width takes its text's width,
// one given a wider place keeps it unless its text needs more; a display panel or a plain QFrame
// on a page (a panel) keeps its top. Containers the resizers descend into are plain
// QWidgets, plain QFrames and group boxes; the inner parts of compound widgets (a combo box's
// edit, a text box's scroll bars) are theirs and left alone. A widget placed by its parent's Qt
// layout counts as filling its parent and is not moved.
//
// GUI thread only. One instance, owned by the main window.
#pragma once

#include <QFont>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "app/FontLayout.h"
#include "app/FontValues.h"
#include "app/LayoutHost.h"
#include "ui/window/FontColorDialog.h"
#include "ui/window/MainPages.h"

class QLabel;
class QMainWindow;
class QToolBar;
class QWidget;

namespace qm {

class QtStatusView;
class TSortGrid;

// The parts of the main window the layout sizes and reads (none owned; the window's children).
struct LayoutPanes {
  QToolBar* toolBar;
  MainPages pages;
  TSortGrid* pluGrid;
  TSortGrid* msgGrid;
  std::array<QLabel*, 4> displayPanels;  // PLU number, weight, unit price, total price
  QtStatusView* status;                  // its panels' widths follow the font
};

// The layout's view of one widget (not owned).
std::shared_ptr<LayoutControl> WrapWidget(QWidget* widget, ControlKind kind);
// Label for a QLabel, panel for a plain QFrame, other for the rest.
ControlKind KindOf(const QWidget& widget);

class FontLayoutHost final : public LayoutHost {
 public:
  // Lays out `window` and `panes`; `dialogFont` is the font dialog's font, which the font
  // button shows and keeps (the close writes it).
  FontLayoutHost(QMainWindow& window, const LayoutPanes& panes, TFontValues& dialogFont);
  ~FontLayoutHost() override;

  FontLayout& Layout() { return layout_; }
  const FontLayout& Layout() const { return layout_; }

  // End of window creation, once the tables and the link have built their widgets: the panes
  // are fitted to the design client area, then the layout starts at the design size.
  void StartAtDesignSize();
  // Start-up: gives the window the saved font `font` and rescales the layout. A font outside the
  // limits of SavedLayoutLimits.h is replaced by the design font, in `font` too (so the close
  // writes what is in use).
  void ApplySavedFont(TFontValues& font);
  // Start-up, after the font: the saved width, then height, cut to the screen's available area
  // and raised to the minimum; a window placed off the available area is moved onto it when
  // `placementRead` (a position came from the settings).
  void ApplySavedSize(std::int32_t width, std::int32_t height, bool placementRead);
  // Gives the window `font` and rescales the layout; the minimum size follows.
  void ApplyFont(const QFont& font);
  // The window's text colour; an invalid colour gives back the desktop's own.
  void ApplyColor(const QColor& color);
  // The window was resized (by the operator, the window system or a program call).
  void WindowResized();
  // The window was shown. The frame the window system puts around it is known from now on, so
  // the saved size and position are fitted to the screen once more, frame included.
  void WindowShown();
  // At close.
  void FreeResizers() { layout_.FreeResizers(); }

  // The font button: the font dialog with the program's current font; OK applies the chosen font
  // and keeps it as the dialog font (which the close writes); Cancel changes nothing.
  void SelectFontClick();
  // Shows the font dialog; nothing on Cancel. The window's FontColorDialog unless replaced
  // (tests).
  std::function<std::optional<FontChoice>(const FontChoice& current)> ChooseFont;

  // ---- LayoutHost ----
  Size WindowSize() const override;
  Size ClientSize() const override;
  void SetWindowSize(Size size) override;
  FontMetrics WindowFont() const override;
  std::int32_t ToolBarHeight() const override;
  std::int32_t StatusBarHeight() const override;
  void SetStatusBarHeight(std::int32_t height) override;
  Bounds PagePaneBounds() const override;
  void SetPagePaneBounds(const Bounds& bounds) override;
  Bounds GridBounds(LayoutGrid grid) const override;
  void SetGridBounds(LayoutGrid grid, const Bounds& bounds) override;
  std::int32_t GridClientWidth(LayoutGrid grid) const override;
  std::int32_t GridScrollBarWidth(LayoutGrid grid) const override;
  int GridColumnCount(LayoutGrid grid) const override;
  std::int32_t GridDefaultRowHeight(LayoutGrid grid) const override;
  void SetGridDefaultRowHeight(LayoutGrid grid, std::int32_t height) override;
  void SetGridColumnWidths(LayoutGrid grid, const std::vector<std::int32_t>& widths) override;
  std::vector<std::shared_ptr<LayoutControl>> Pages() const override;
  std::vector<std::shared_ptr<LayoutControl>> DisplayPanels() const override;
  void SetDisplayFontSize(std::int32_t points) override;

 private:
  // Lays the window's frame parts (menu, tool bar, central widget, status bar) out now, so that
  // their sizes reflect the last size or font change at once, shown or not.
  void Settle() const;
  std::int32_t MenuHeight() const;
  // Top of the central widget in client coordinates (the tool bar's bottom).
  std::int32_t CentralTop() const;
  QWidget* Grid(LayoutGrid grid) const;
  // The screen area the window (its frame included) may take, as a size for QWidget::size().
  Size AvailableWindowSize() const;
  // Cuts the window to the available area (never below its minimum size) and, when
  // `movePlacement`, moves it onto the area.
  void FitOnScreen(bool movePlacement);
  // The status panels keep their design share of the window: their widths follow the
  // horizontal font scale, and never fall below what their texts need.
  void FitStatusPanels();
  // Widens the logo selector until its longest entry shows whole. What follows it on its row
  // moves right by as much, and the last field there gives the width up, so the row still ends
  // where it did.
  void FitLogoSelector();

  QMainWindow& form_;
  QPointer<QToolBar> toolBar_;
  MainPages pages_;
  QPointer<TSortGrid> pluGrid_;
  QPointer<TSortGrid> msgGrid_;
  std::array<QPointer<QLabel>, 4> displayPanels_;
  QtStatusView& status_;
  TFontValues& dialogFont_;
  FontLayout layout_;
  bool adjusting_ = false;  // the window is being given the size the resize handling returned
  bool fitting_ = false;    // the grid columns are being fitted after a cell area change
  bool fitAgain_ = false;   // the cell area changed again meanwhile
  bool fitWhenShown_ = false;
  bool placementRead_ = false;
};

}  // namespace qm
