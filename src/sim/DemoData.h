// A small demo data set for the virtual scale: a few PLUs with Russian names, two messages,
// sales totals and a display showing PLU 1 on the scale.
#pragma once

#include <string_view>

#include "sim/ScaleData.h"

namespace qmsim {

class VirtualScale;

// UTF-8 text to the scale's code page 866: ASCII and the 66 Cyrillic letters are carried,
// every other character becomes '*'.
Bytes Cp866(std::string_view utf8);

void LoadDemoData(VirtualScale& scale);

}  // namespace qmsim
