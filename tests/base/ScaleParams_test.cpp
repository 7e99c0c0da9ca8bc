#include "base/ScaleParams.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(ScaleParams, ModelAndVersionRowsJoinTheName) {
  EXPECT_EQ(BuildScaleParams(15, 4000).ModelName, "ORB QM-15(R) 4000 PLU");
  EXPECT_EQ(BuildScaleParams(6, 600).ModelName, "ORB QM-06(R) 600 PLU");
  EXPECT_EQ(BuildScaleParams(30, 1000).ModelName, "ORB QM-30(R) 1000 PLU");
  EXPECT_EQ(BuildScaleParams(20, 4000).ModelName, "ORB QM 4000 PLU");
  EXPECT_EQ(BuildScaleParams(15, 500).ModelName, "ORB QM-15(R)");
}

TEST(ScaleParams, EveryVersionRowSetsItsLimits) {
  const TScaleParams v200 = BuildScaleParams(15, 200);
  EXPECT_EQ(v200.MaxPluNo, 200);
  EXPECT_EQ(v200.MaxMessages, 200);
  EXPECT_EQ(v200.MsgLines, 8);
  EXPECT_EQ(v200.MaxShelfLife, 366);
  EXPECT_EQ(v200.NameLenWithLogo, 0);
  EXPECT_EQ(v200.MaxScaleAddress, 1);

  const TScaleParams v600 = BuildScaleParams(15, 600);
  EXPECT_EQ(v600.MaxMessages, 200);
  EXPECT_EQ(v600.MsgLines, 4);
  EXPECT_EQ(v600.MsgLineLen, 50);

  const TScaleParams v1000 = BuildScaleParams(15, 1000);
  EXPECT_EQ(v1000.MaxPluNo, 1000);
  EXPECT_EQ(v1000.MaxMessages, 0);
  EXPECT_EQ(v1000.MsgLines, 0);

  const TScaleParams v4000 = BuildScaleParams(15, 4000);
  EXPECT_EQ(v4000.MaxPluNo, 4000);
  EXPECT_EQ(v4000.NameLen, 28);
  EXPECT_EQ(v4000.NameLenWithLogo, 24);
  EXPECT_EQ(v4000.MaxMessages, 1000);
  EXPECT_EQ(v4000.MaxShelfLife, 365);
  EXPECT_EQ(v4000.MaxScaleAddress, 99);
  EXPECT_EQ(v4000.SoCodeLen, 4);
}

TEST(ScaleParams, ModelRowsSetTareLimitsAndUnknownModelsKeepTheBase) {
  EXPECT_DOUBLE_EQ(BuildScaleParams(6, 4000).MaxTare, 2.99);
  EXPECT_DOUBLE_EQ(BuildScaleParams(6, 4000).TareDivision, 0.002);
  EXPECT_DOUBLE_EQ(BuildScaleParams(15, 4000).TareDivision, 0.005);
  EXPECT_DOUBLE_EQ(BuildScaleParams(30, 4000).MaxTare, 9.99);
  const TScaleParams odd = BuildScaleParams(20, 0);
  EXPECT_EQ(odd.MaxTare, 0);
  EXPECT_EQ(odd.TareDivision, 0);
  EXPECT_EQ(odd.MaxPluNo, 0);
  EXPECT_DOUBLE_EQ(odd.MaxPrice, 9999.99);
  EXPECT_EQ(odd.MaxItemCode, 999999);
  EXPECT_EQ(odd.MaxGroupCode, 99);
  EXPECT_EQ(odd.BaudRate, TBaudRate::br9600);
  EXPECT_EQ(odd.DataBits, TDataBits::dbEight);
  EXPECT_EQ(odd.Parity, TParityBits::prNone);
  EXPECT_EQ(odd.StopBits, TStopBits::sbOneStopBit);
}

}  // namespace
}  // namespace qm
