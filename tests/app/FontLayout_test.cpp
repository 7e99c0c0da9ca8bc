#include "app/FontLayout.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <vector>

#include "FakeLayoutHost.h"

namespace qm {
namespace {

using testing::FakeControl;
using testing::FakeLayoutHost;
using testing::Make;
constexpr int kPlu = FakeLayoutHost::kPlu, kMsg = FakeLayoutHost::kMsg;

class FontLayoutTest : public ::testing::Test {
 protected:
  FontLayoutTest() {
    // Page 1: a label, an edit, a group box holding a panel and a nested box with an edit.
    auto page1 = Make(ControlKind::kPanel, {4, 24, 527, 202});
    nested = Make(ControlKind::kOther, {120, 15, 120, 90});
    nested->kids = {deepEdit = Make(ControlKind::kOther, {5, 5, 100, 21})};
    auto group = Make(ControlKind::kOther, {8, 40, 250, 120});
    group->kids = {groupPanel = Make(ControlKind::kPanel, {10, 20, 100, 30}), nested};
    page1->kids = {label = Make(ControlKind::kLabel, {8, 8, 60, 13}),
                   edit = Make(ControlKind::kOther, {72, 4, 121, 21}), group};
    // Page 2: an editor filling the page and a button; page 3: a control that has gone.
    auto page2 = Make(ControlKind::kOther, {4, 24, 527, 202});
    page2->kids = {memo = Make(ControlKind::kOther, {0, 0, 519, 194}),
                   Make(ControlKind::kOther, {400, 5, 75, 25})};
    memo->fills = true;
    auto page3 = Make(ControlKind::kOther, {4, 24, 527, 202});
    page3->kids = {dead = Make(ControlKind::kOther, {10, 10, 50, 20})};
    host.pages = {page1, page2, page3};
    host.panels = {
        Make(ControlKind::kPanel, {231, 30, 50, 18}), Make(ControlKind::kPanel, {282, 30, 100, 18}),
        Make(ControlKind::kPanel, {383, 30, 75, 18}), Make(ControlKind::kPanel, {459, 30, 75, 18})};
    for (auto* c : {&label, &edit, &groupPanel, &nested, &deepEdit, &memo, &dead}) {
      all.push_back(*c);
    }
    for (auto& p : host.panels) all.push_back(p);
    for (auto& c : all) design.push_back(c->bounds);
    host.layout = &layout;
    layout.StartAtDesignSize();
    dead->alive = false;
  }

  void Font(std::int32_t height, bool bold = false) {
    layout.ApplyFont([&] { host.font = {height, bold}; });
  }

  void ExpectDesignBounds() {
    for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i]->bounds, design[i]) << i;
  }

  FakeLayoutHost host;
  FontLayout layout{host};
  std::shared_ptr<FakeControl> label, edit, groupPanel, nested, deepEdit, memo, dead;
  std::vector<std::shared_ptr<FakeControl>> all;
  std::vector<Bounds> design;
};

TEST_F(FontLayoutTest, StartRegistersEveryControlOnThePagesAndThePanels) {
  // 3 + 2 + 1 on page 1 (to depth 3), 2 on page 2, 1 on page 3, then the 4 panels.
  EXPECT_EQ(layout.Resizers().size(), 13u);
  EXPECT_EQ(layout.State().LayoutWidth, 640);
  EXPECT_EQ(host.window, (Size{640, 480}));
  EXPECT_EQ(host.columns[kMsg], (std::vector<std::int32_t>{31, 61}));
}

TEST_F(FontLayoutTest, GridColumnsShareTheWidthByWeightAndTheLastTakesTheRest) {
  // 8 pixels wider makes the PLU grid 640 wide (636 of cells); 626 pixels shared by weight / 79.
  EXPECT_EQ(layout.ResizeRequest({648, 480}), (Size{648, 480}));
  EXPECT_EQ(host.grid[kPlu].width, 640);
  EXPECT_EQ(host.columns[kPlu],
            (std::vector<std::int32_t>{32, 63, 63, 48, 48, 48, 48, 48, 32, 32, 48, 40, 40, 33}));
  // Message grid 105 wide: round(103 * 0.33) = 34, and 101 - 34 - 1 for the name.
  EXPECT_EQ(host.columns[kMsg], (std::vector<std::int32_t>{34, 66}));

  // A vertical scroll bar of 14 pixels: 612 pixels shared, the last column keeps its share.
  host.scrollBar[kPlu] = host.scrollBar[kMsg] = 14;
  layout.FitGridColumns();
  EXPECT_EQ(host.columns[kPlu],
            (std::vector<std::int32_t>{31, 62, 62, 46, 46, 46, 46, 46, 31, 31, 46, 39, 39, 38}));
  EXPECT_EQ(host.columns[kMsg], (std::vector<std::int32_t>{29, 57}));
}

TEST_F(FontLayoutTest, DoubleFontDoublesTheLayoutAndTheDesignFontRestoresIt) {
  Font(-22);
  EXPECT_EQ(layout.State().FontScaleV, 2000);
  EXPECT_EQ(layout.State().MinFormWidth, 1280);
  // The frame does not scale, so the window stops at the doubled minimum.
  EXPECT_EQ(host.window, (Size{1280, 960}));
  EXPECT_EQ(host.pane, (Bounds{0, 30, 1070, 460}));
  EXPECT_EQ(host.statusBar, 38);
  EXPECT_EQ(host.grid[kMsg], (Bounds{1070, 30, 202, 460}));
  EXPECT_EQ(host.grid[kPlu], (Bounds{0, 490, 1272, 386}));  // 914 - 30 - 460 - 38
  EXPECT_EQ(host.rowHeight[kPlu], 32);
  EXPECT_EQ(host.displayFont, 20);
  EXPECT_EQ(label->bounds, (Bounds{16, 16, 60, 26}));
  EXPECT_EQ(deepEdit->bounds, (Bounds{10, 10, 200, 42}));
  EXPECT_EQ(groupPanel->bounds, (Bounds{20, 20, 200, 60}));
  EXPECT_EQ(host.panels[1]->bounds, (Bounds{564, 30, 200, 36}));
  EXPECT_EQ(memo->moves + dead->moves, 0);
  EXPECT_FALSE(layout.State().FontApplying);

  Font(-11);
  EXPECT_EQ(layout.State().FontScaleV, 1000);
  EXPECT_EQ(layout.State().MinFormHeight, 480);
  EXPECT_EQ(host.pane, (Bounds{0, 30, 535, 230}));
  EXPECT_EQ(host.displayFont, 10);
  ExpectDesignBounds();
}

TEST_F(FontLayoutTest, ManyFontsInARowStillSnapBackExactly) {
  const std::pair<int, bool> fonts[] = {{-13, false}, {-17, true}, {-9, false}, {-15, true}};
  for (auto [height, bold] : fonts) Font(height, bold);
  EXPECT_NE(layout.State().MinFormWidth, 640);
  EXPECT_EQ(host.displayFont, 14);  // 15/11 of 10 points
  Font(-11, false);
  EXPECT_EQ(layout.State().FontScaleV, 1000);
  EXPECT_EQ(layout.State().FontScaleH, 1000);
  EXPECT_EQ(layout.State().MinFormWidth, 640);
  ExpectDesignBounds();
}

TEST_F(FontLayoutTest, TheDesignFontRestoresWindowPanesAndRowsWhateverCameBetween) {
  host.menuFollowsFont = true;
  const std::vector<std::vector<int>> detours = {{-16}, {-16, -13}, {-9, -27, -14}, {-12}};
  for (const Size start : {Size{640, 480}, Size{811, 597}}) {
    host.SetWindowSize(start);
    const Bounds pluGrid = host.grid[kPlu], msgGrid = host.grid[kMsg];
    for (const auto& detour : detours) {
      SCOPED_TRACE(detour.front());
      for (int height : detour) Font(height, height == -13);
      Font(-11);
      EXPECT_EQ(host.window, start);
      EXPECT_EQ(host.pane, (Bounds{0, 30, 535, 230}));
      EXPECT_EQ(host.statusBar, 19);
      EXPECT_EQ(host.rowHeight[kPlu], 16);
      EXPECT_EQ(host.rowHeight[kMsg], 16);
      EXPECT_EQ(host.grid[kPlu], pluGrid);
      EXPECT_EQ(host.grid[kMsg], msgGrid);
    }
  }
  // A window the operator resized away from the design font comes back scaled, not restored:
  // twice the font and 100 pixels wider there is 50 pixels wider here.
  Font(-22);
  host.SetWindowSize({host.window.width + 100, host.window.height});
  Font(-11);
  EXPECT_EQ(host.window, (Size{861, 597}));
}

TEST_F(FontLayoutTest, ResizeRequestsAreRaisedToTheMinimumAndGoToTheGrids) {
  EXPECT_EQ(layout.ResizeRequest({0, 0}), (Size{640, 480}));
  EXPECT_EQ(layout.ResizeRequest({-5, 300}), (Size{640, 480}));
  EXPECT_EQ(host.grid[kPlu], (Bounds{0, 260, 632, 155}));

  EXPECT_EQ(layout.ResizeRequest({100000, 100000}), (Size{100000, 100000}));
  EXPECT_EQ(host.grid[kPlu], (Bounds{0, 260, 99992, 99675}));
  EXPECT_EQ(host.grid[kMsg], (Bounds{535, 30, 99457, 230}));
  EXPECT_EQ(host.pane, (Bounds{0, 30, 535, 230}));

  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(layout.ResizeRequest({kMax, kMax}), (Size{kMax, kMax}));
  EXPECT_EQ(host.grid[kPlu].width, kMax - 8);
  EXPECT_EQ(layout.ResizeRequest({640, 480}), (Size{640, 480}));  // back down without wrapping
  EXPECT_EQ(host.grid[kPlu], (Bounds{0, 260, 632, 155}));
  EXPECT_EQ(host.grid[kMsg].width, 97);
}

TEST_F(FontLayoutTest, ResizeRequestDuringFontChangeIsAcceptedUnchanged) {
  Size during;
  layout.ApplyFont([&] {
    host.font = {-22, false};
    during = layout.ResizeRequest({10, 10});
  });
  EXPECT_EQ(during, (Size{10, 10}));
  EXPECT_EQ(layout.ResizeRequest({10, 10}), (Size{1280, 960}));
}

TEST_F(FontLayoutTest, SavedSizeGoesThroughTheResizeRequest) {
  Font(-22);
  layout.ApplySavedSize(700, 500);  // below the doubled minimum
  EXPECT_EQ(host.window, (Size{1280, 960}));
  layout.ApplySavedSize(1400, 1000);
  EXPECT_EQ(host.window, (Size{1400, 1000}));
  EXPECT_EQ(host.grid[kPlu], (Bounds{0, 490, 1392, 426}));
  EXPECT_EQ(host.grid[kMsg].width, 322);
  EXPECT_EQ(host.pane, (Bounds{0, 30, 1070, 460}));
}

TEST_F(FontLayoutTest, FontWithoutHeightOrFailingLeavesTheLayout) {
  Font(0);
  EXPECT_EQ(host.window, (Size{640, 480}));
  EXPECT_EQ(layout.State().FontScaleV, 1000);
  EXPECT_THROW(layout.ApplyFont([] { throw std::runtime_error("no font"); }), std::runtime_error);
  EXPECT_FALSE(layout.State().FontApplying);
  EXPECT_EQ(layout.ResizeRequest({10, 10}), (Size{640, 480}));
}

}  // namespace
}  // namespace qm
