#include "base/ScaleParams.h"

namespace qm {

const ScaleModelRow* FindScaleModel(int kg) {
  for (const ScaleModelRow& row : kScaleModels) {
    if (row.kg == kg) return &row;
  }
  return nullptr;
}

const ScaleVersionRow* FindScaleVersion(int plus) {
  for (const ScaleVersionRow& row : kScaleVersions) {
    if (row.plus == plus) return &row;
  }
  return nullptr;
}

TScaleParams BuildScaleParams(int model, int version) {
  TScaleParams p;
  p.ModelName = "ORB QM";
  if (const ScaleModelRow* m = FindScaleModel(model)) {
    p.ModelName += m->nameSuffix;
    p.MaxTare = m->maxTare;
    p.TareDivision = m->tareDivision;
  }
  if (const ScaleVersionRow* v = FindScaleVersion(version)) {
    p.ModelName += v->nameSuffix;
    p.MaxPluNo = v->maxPluNo;
    p.NameLen = v->nameLen;
    p.MaxMessages = v->maxMessages;
    p.MsgLines = v->msgLines;
    p.MaxShelfLife = v->maxShelfLife.value_or(p.MaxShelfLife);
    p.NameLenWithLogo = v->nameLenWithLogo.value_or(p.NameLenWithLogo);
    p.MaxScaleAddress = v->maxScaleAddress.value_or(p.MaxScaleAddress);
    p.SoCodeLen = v->soCodeLen.value_or(p.SoCodeLen);
  }
  return p;
}

}  // namespace qm
