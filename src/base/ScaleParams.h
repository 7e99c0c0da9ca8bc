// The limits of one scale model and memory version. Every limit that the editors, validation and
// transfers enforce comes from one TScaleParams built for the selected (model, version) pair.
#pragma once

#include <cstdint>
#include <string>

#include "base/LineSettings.h"

namespace qm {

struct TScaleParams {
  std::string ModelName;  // Windows-1251 (ASCII in practice), shown in status panel 1
  TBaudRate BaudRate = TBaudRate::br9600;
  TDataBits DataBits = TDataBits::dbEight;
  TParityBits Parity = TParityBits::prNone;
  TStopBits StopBits = TStopBits::sbOneStopBit;
  std::uint16_t MaxPluNo = 0;         // highest PLU number and largest PLU table
  std::uint16_t NameLen = 0;          // longest name line, characters
  std::uint16_t NameLenWithLogo = 0;  // longest first name line when a logo is printed
  double MaxPrice = 9999.99;          // roubles
  std::uint16_t MaxShelfLife = 366;   // days
  double MaxTare = 0;                 // kg
  double TareDivision = 0;            // kg; a tare must be a whole multiple (0 = no test)
  std::int32_t MaxItemCode = 999999;
  std::uint16_t MaxGroupCode = 99;
  std::uint16_t MaxMessages = 0;  // highest message number and largest message table
  std::uint16_t MsgLineLen = 50;  // characters
  std::uint16_t MsgLines = 0;     // most lines in one message
  std::uint8_t MaxScaleAddress = 1;
  std::uint8_t SoCodeLen = 0;  // certification-body code characters kept with a logo

  friend bool operator==(const TScaleParams&, const TScaleParams&) = default;
};

// Starts from the base row, applies the model row (6, 15, 30 kg) and then the version row (200,
// 600, 1000, 4000 PLU). Numbers outside these rows keep the base values and add no name part.
TScaleParams BuildScaleParams(int model, int version);

// The three entries of the scale-type menu, by tag 0..2: the model each selects. The menu always
// selects the 4000-PLU version.
inline constexpr int kScaleTypeMenuModels[3] = {6, 15, 30};
inline constexpr int kScaleTypeMenuVersion = 4000;
inline constexpr const char* kScaleTypeMenuCaptions[3] = {"QM-&06(R)", "QM-&15(R)", "QM-&30(R)"};

}  // namespace qm
