#include "app/SingleResizer.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "FakeLayoutHost.h"
#include "app/FontLayout.h"

namespace qm {
namespace {

using testing::Make;

TEST(RoundHalfEven, TiesGoToTheEvenNeighbourWhateverTheRoundingMode) {
  const int modes[] = {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO};
  const int saved = std::fegetround();
  for (int mode : modes) {
    std::fesetround(mode);
    EXPECT_EQ(RoundHalfEven(2.5), 2) << mode;
    EXPECT_EQ(RoundHalfEven(3.5), 4) << mode;
    EXPECT_EQ(RoundHalfEven(0.5), 0) << mode;
    EXPECT_EQ(RoundHalfEven(-2.5), -2) << mode;
    EXPECT_EQ(RoundHalfEven(-3.5), -4) << mode;
    EXPECT_EQ(RoundHalfEven(2.4999), 2) << mode;
    EXPECT_EQ(RoundHalfEven(2.5001), 3) << mode;
    EXPECT_EQ(RoundHalfEven(-0.7), -1) << mode;
  }
  std::fesetround(saved);
}

TEST(RoundHalfEven, OutOfRangeSaturatesAndNanIsZero) {
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(RoundHalfEven(1e12), kMax);
  EXPECT_EQ(RoundHalfEven(-1e12), kMin);
  EXPECT_EQ(RoundHalfEven(INFINITY), kMax);
  EXPECT_EQ(RoundHalfEven(NAN), 0);
  EXPECT_EQ(RoundHalfEven(2147483646.7), kMax);
  EXPECT_EQ(Saturate32(std::int64_t{kMax} + 5), kMax);
  EXPECT_EQ(Saturate32(std::int64_t{kMin} - 5), kMin);
}

TEST(FontFactors, HeightRatioWithBoldWideningAndNarrowing) {
  auto f = ComputeFontFactors({-11, false}, {-22, false});
  ASSERT_TRUE(f);
  EXPECT_DOUBLE_EQ(f->v, 2.0);
  EXPECT_DOUBLE_EQ(f->h, 2.0);

  f = ComputeFontFactors({-11, true}, {-11, false});  // bold to plain: only narrower
  ASSERT_TRUE(f);
  EXPECT_DOUBLE_EQ(f->v, 1.0);
  EXPECT_DOUBLE_EQ(f->h, 1 / 1.15);

  f = ComputeFontFactors({-11, false}, {-13, true});
  ASSERT_TRUE(f);
  EXPECT_DOUBLE_EQ(f->v, 13.0 / 11);
  EXPECT_DOUBLE_EQ(f->h, 1.15 * 13 / 11);

  f = ComputeFontFactors({-11, true}, {-22, true});  // bold stays bold: no extra widening
  ASSERT_TRUE(f);
  EXPECT_DOUBLE_EQ(f->h, 2.0);

  f = ComputeFontFactors({-11, false}, {22, false});  // the sign of a height is not its size
  ASSERT_TRUE(f);
  EXPECT_DOUBLE_EQ(f->v, 2.0);

  EXPECT_FALSE(ComputeFontFactors({0, false}, {-11, false}));
  EXPECT_FALSE(ComputeFontFactors({-11, false}, {0, true}));
  EXPECT_TRUE(ComputeFontFactors({std::numeric_limits<std::int32_t>::min(), false}, {-11, false}));
}

TEST(SingleResizer, ScalesFlaggedBoundsFromTheCurrentOnes) {
  auto edit = Make(ControlKind::kOther, {5, 7, 7, 21});
  TSingleResizer r(edit);
  r.Resize(1.5, 2.0);
  EXPECT_EQ(edit->bounds, (Bounds{8, 14, 10, 42}));  // 7.5 -> 8, 10.5 -> 10
  r.Resize(0.5, 0.5);
  EXPECT_EQ(edit->bounds, (Bounds{4, 7, 5, 21}));  // from the current bounds, not the saved
  EXPECT_EQ(r.Saved(), (Bounds{5, 7, 7, 21}));
}

TEST(SingleResizer, LabelKeepsItsWidthAndPanelItsTop) {
  auto label = Make(ControlKind::kLabel, {10, 20, 60, 13});
  auto panel = Make(ControlKind::kPanel, {231, 30, 50, 18});
  TSingleResizer forLabel(label), forPanel(panel);
  forLabel.Resize(2, 2);
  forPanel.Resize(2, 2);
  EXPECT_EQ(label->bounds, (Bounds{20, 40, 60, 26}));
  EXPECT_EQ(panel->bounds, (Bounds{462, 30, 100, 36}));

  // A label sizes itself to its text; restoring leaves that width alone.
  label->bounds.width = 75;
  forLabel.Resize(1, 0);
  forPanel.Resize(1, 0);
  EXPECT_EQ(label->bounds, (Bounds{10, 20, 75, 13}));
  EXPECT_EQ(panel->bounds, (Bounds{231, 30, 50, 18}));
}

TEST(SingleResizer, RestoringAfterManyChangesIsExact) {
  auto box = Make(ControlKind::kOther, {13, 27, 121, 33});
  TSingleResizer r(box);
  for (double f : {1.3, 0.77, 1.9, 0.41, 1.15}) r.Resize(f, 1 / f + 0.01);
  EXPECT_NE(box->bounds, (Bounds{13, 27, 121, 33}));
  r.Resize(1.7, 0);  // h does not matter when restoring
  EXPECT_EQ(box->bounds, (Bounds{13, 27, 121, 33}));
}

TEST(SingleResizer, DeadOrParentFillingControlIsLeftAlone) {
  auto dead = Make(ControlKind::kOther, {1, 2, 3, 4});
  auto filling = Make(ControlKind::kOther, {0, 0, 527, 202});
  TSingleResizer forDead(dead), forFilling(filling);
  dead->alive = false;
  filling->fills = true;
  for (double v : {2.0, 0.0}) {
    forDead.Resize(2, v);
    forFilling.Resize(2, v);
  }
  EXPECT_EQ(dead->moves + filling->moves, 0);
  EXPECT_EQ(filling->bounds, (Bounds{0, 0, 527, 202}));
}

}  // namespace
}  // namespace qm
