// The limits of one scale model and memory version. Every limit that the editors, validation and
// transfers enforce comes from one TScaleParams built for the selected (model, version) pair.
#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
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

// One scale model, by its capacity: what it adds to the base row and its entry in the window's
// scale-type menu. Every place that offers or takes a model (the menu, qmctl's --model and its
// help, the fleet's list of scales) reads this table.
struct ScaleModelRow {
  int kg;                   // the model number (ScaleModel)
  const char* nameSuffix;   // appended to ModelName
  double maxTare;           // kg
  double tareDivision;      // kg
  const char* menuCaption;  // the menu entry; "&" stands before its access key
};

// One memory version, by its PLU count: the limits it sets over the base row. The limits left
// unset here keep their base values.
struct ScaleVersionRow {
  int plus;  // the version number (ScaleVersion)
  const char* nameSuffix;
  std::uint16_t maxPluNo;
  std::uint16_t nameLen;
  std::uint16_t maxMessages;
  std::uint16_t msgLines;
  std::optional<std::uint16_t> maxShelfLife = std::nullopt;
  std::optional<std::uint16_t> nameLenWithLogo = std::nullopt;
  std::optional<std::uint8_t> maxScaleAddress = std::nullopt;
  std::optional<std::uint8_t> soCodeLen = std::nullopt;
};

// The models in the order the menu lists them; the menu's tag is the index.
inline constexpr ScaleModelRow kScaleModels[] = {
    {6, "-06(R)", 2.99, 0.002, "QM-&06(R)"},
    {15, "-15(R)", 5.99, 0.005, "QM-&15(R)"},
    {30, "-30(R)", 9.99, 0.01, "QM-&30(R)"},
};

inline constexpr ScaleVersionRow kScaleVersions[] = {
    {200, " 200 PLU", 200, 28, 200, 8},
    {600, " 600 PLU", 600, 28, 200, 4},
    {1000, " 1000 PLU", 1000, 28, 0, 0},
    {4000, " 4000 PLU", 4000, 28, 1000, 8, 365, 24, 99, 4},
};

inline constexpr int kScaleModelCount = static_cast<int>(std::size(kScaleModels));

// The pair a fresh start and qmctl use until told otherwise.
inline constexpr int kDefaultScaleModel = 15;
inline constexpr int kDefaultScaleVersion = 4000;
// The scale-type menu always selects this version.
inline constexpr int kScaleTypeMenuVersion = 4000;

// The row of a model or version number; nullptr for a number no row has.
const ScaleModelRow* FindScaleModel(int kg);
const ScaleVersionRow* FindScaleVersion(int plus);

// Starts from the base row (TScaleParams' own values), applies the model row and then the version
// row. Numbers outside the tables keep the base values and add no name part.
TScaleParams BuildScaleParams(int model, int version);

}  // namespace qm
