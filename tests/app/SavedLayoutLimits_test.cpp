#include "app/SavedLayoutLimits.h"

#include <gtest/gtest.h>

#include <limits>

namespace qm {
namespace {

TEST(SavedLayoutLimits, FontSizeMustBeSaneAndItsWindowMustFitTheScreen) {
  const Size screen{1920, 1200};
  const FontFactors same{1, 1};
  EXPECT_TRUE(SavedFontUsable(6, same, screen));
  EXPECT_TRUE(SavedFontUsable(72, FontFactors{1.5, 1.5}, screen));
  EXPECT_FALSE(SavedFontUsable(5, same, screen));
  EXPECT_FALSE(SavedFontUsable(0, same, screen));
  EXPECT_FALSE(SavedFontUsable(73, same, screen));
  EXPECT_FALSE(SavedFontUsable(500, same, screen));
  EXPECT_FALSE(SavedFontUsable(-8, same, screen));
  EXPECT_FALSE(SavedFontUsable(12, std::nullopt, screen));
  // 640 x 480 scaled: exactly the screen fits, one pixel more does not (in either direction).
  EXPECT_TRUE(SavedFontUsable(24, FontFactors{3, 2.5}, screen));
  EXPECT_FALSE(SavedFontUsable(24, FontFactors{3.002, 2.5}, screen));
  EXPECT_FALSE(SavedFontUsable(24, FontFactors{3, 2.5021}, screen));
  // A bold font widens the window more than it heightens it.
  EXPECT_FALSE(SavedFontUsable(24, FontFactors{2.5 * 1.15 * 1.15, 2.5}, screen));
}

TEST(SavedLayoutLimits, SizesAreCutToTheScreenAndWindowsKeptOnIt) {
  EXPECT_EQ(ClampToAvailable({100000, 100000}, {1920, 1160}), (Size{1920, 1160}));
  EXPECT_EQ(ClampToAvailable({700, 500}, {1920, 1160}), (Size{700, 500}));
  EXPECT_EQ(ClampToAvailable({-5, 0}, {1920, 1160}), (Size{0, 0}));
  EXPECT_EQ(ClampToAvailable({700, 500}, {-1, 300}), (Size{0, 300}));

  EXPECT_EQ(KeepInside(100, 640, 0, 1920), 100);
  EXPECT_EQ(KeepInside(100000, 640, 0, 1920), 1280);
  EXPECT_EQ(KeepInside(-5000, 640, 0, 1920), 0);
  EXPECT_EQ(KeepInside(10, 640, 30, 1920), 30);  // below a panel at the top of the screen
  // Larger than the area: its start, so the caption and menu stay reachable.
  EXPECT_EQ(KeepInside(500, 3000, 0, 1920), 0);
  const auto big = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(KeepInside(big, big, 0, 1920), 0);
  EXPECT_EQ(KeepInside(std::numeric_limits<std::int32_t>::min(), 640, 0, 1920), 0);
}

}  // namespace
}  // namespace qm
