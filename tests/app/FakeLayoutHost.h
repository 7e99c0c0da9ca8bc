// A main window made of plain numbers for the layout tests: design geometry of the panes, a frame
// of 8 x 46 pixels around a 632 x 434 client area, grids with a 4-pixel border, and a tree of
// fake controls on the pages. Setting the window size delivers a resize request, as a window
// system would.
#pragma once

#include <memory>
#include <vector>

#include "app/FontLayout.h"

namespace qm::testing {

struct FakeControl : LayoutControl {
  FakeControl(ControlKind k, Bounds b) : kind(k), bounds(b) {}
  bool Alive() const override { return alive; }
  bool FillsParentClient() const override { return fills; }
  ControlKind Kind() const override { return kind; }
  Bounds GetBounds() const override { return bounds; }
  void SetBounds(const Bounds& b) override {
    bounds = b;
    ++moves;
  }
  std::vector<std::shared_ptr<LayoutControl>> Children() const override {
    return {kids.begin(), kids.end()};
  }

  ControlKind kind;
  Bounds bounds;
  bool alive = true;
  bool fills = false;
  int moves = 0;
  std::vector<std::shared_ptr<FakeControl>> kids;
};

inline std::shared_ptr<FakeControl> Make(ControlKind kind, Bounds b) {
  return std::make_shared<FakeControl>(kind, b);
}

struct FakeLayoutHost : LayoutHost {
  static constexpr int kPlu = 0, kMsg = 1;
  static int Index(LayoutGrid g) { return g == LayoutGrid::kPlu ? kPlu : kMsg; }

  Size WindowSize() const override { return window; }
  // With `menuFollowsFont` the frame's menu bar grows and shrinks with the font, as a toolkit's
  // does that draws the menu in the window's font.
  Size ClientSize() const override {
    const int frame = menuFollowsFont ? 35 + (font.height < 0 ? -font.height : font.height) : 46;
    return {window.width - 8, window.height - frame};
  }
  void SetWindowSize(Size s) override {
    window = s;
    if (layout) window = layout->ResizeRequest(s);
  }
  FontMetrics WindowFont() const override { return font; }
  std::int32_t ToolBarHeight() const override { return 30; }
  std::int32_t StatusBarHeight() const override { return statusBar; }
  void SetStatusBarHeight(std::int32_t h) override { statusBar = h; }
  Bounds PagePaneBounds() const override { return pane; }
  void SetPagePaneBounds(const Bounds& b) override { pane = b; }
  Bounds GridBounds(LayoutGrid g) const override { return grid[Index(g)]; }
  void SetGridBounds(LayoutGrid g, const Bounds& b) override { grid[Index(g)] = b; }
  std::int32_t GridClientWidth(LayoutGrid g) const override {
    return grid[Index(g)].width - 4 - scrollBar[Index(g)];
  }
  std::int32_t GridScrollBarWidth(LayoutGrid g) const override { return scrollBar[Index(g)]; }
  int GridColumnCount(LayoutGrid g) const override { return g == LayoutGrid::kPlu ? 14 : 2; }
  std::int32_t GridDefaultRowHeight(LayoutGrid g) const override { return rowHeight[Index(g)]; }
  void SetGridDefaultRowHeight(LayoutGrid g, std::int32_t h) override { rowHeight[Index(g)] = h; }
  void SetGridColumnWidths(LayoutGrid g, const std::vector<std::int32_t>& w) override {
    columns[Index(g)] = w;
  }
  std::vector<std::shared_ptr<LayoutControl>> Pages() const override {
    return {pages.begin(), pages.end()};
  }
  std::vector<std::shared_ptr<LayoutControl>> DisplayPanels() const override {
    return {panels.begin(), panels.end()};
  }
  void SetDisplayFontSize(std::int32_t points) override { displayFont = points; }

  Size window{640, 480};
  FontMetrics font{-11, false};
  bool menuFollowsFont = false;
  std::int32_t statusBar = 19;
  Bounds pane{0, 30, 535, 230};
  Bounds grid[2] = {{0, 260, 632, 155}, {535, 30, 97, 230}};
  std::int32_t rowHeight[2] = {16, 16};
  std::int32_t scrollBar[2] = {0, 0};  // width of a shown vertical scroll bar
  std::vector<std::int32_t> columns[2];
  std::int32_t displayFont = 10;
  FontLayout* layout = nullptr;
  std::vector<std::shared_ptr<FakeControl>> pages, panels;
};

}  // namespace qm::testing
