#include "base/ScaleParams.h"

namespace qm {

TScaleParams BuildScaleParams(int model, int version) {
  TScaleParams p;
  p.ModelName = "ORB QM";
  switch (model) {
    case 6:
      p.ModelName += "-06(R)";
      p.MaxTare = 2.99;
      p.TareDivision = 0.002;
      break;
    case 15:
      p.ModelName += "-15(R)";
      p.MaxTare = 5.99;
      p.TareDivision = 0.005;
      break;
    case 30:
      p.ModelName += "-30(R)";
      p.MaxTare = 9.99;
      p.TareDivision = 0.01;
      break;
    default:
      break;
  }
  switch (version) {
    case 200:
      p.ModelName += " 200 PLU";
      p.MaxPluNo = 200;
      p.NameLen = 28;
      p.MaxMessages = 200;
      p.MsgLines = 8;
      break;
    case 600:
      p.ModelName += " 600 PLU";
      p.MaxPluNo = 600;
      p.NameLen = 28;
      p.MaxMessages = 200;
      p.MsgLines = 4;
      break;
    case 1000:
      p.ModelName += " 1000 PLU";
      p.MaxPluNo = 1000;
      p.NameLen = 28;
      break;
    case 4000:
      p.ModelName += " 4000 PLU";
      p.MaxPluNo = 4000;
      p.NameLen = 28;
      p.MaxMessages = 1000;
      p.MsgLines = 8;
      p.MaxShelfLife = 365;
      p.NameLenWithLogo = 24;
      p.MaxScaleAddress = 99;
      p.SoCodeLen = 4;
      break;
    default:
      break;
  }
  return p;
}

}  // namespace qm
