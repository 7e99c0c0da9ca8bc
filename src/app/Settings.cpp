#include "app/Settings.h"

#include <optional>
#include <string>

#include "base/NumberText.h"

namespace qm {
namespace {

std::optional<std::int32_t> ReadNumber(const SettingsStore& store, const char* section,
                                       const char* name) {
  const std::optional<std::string> text = store.ReadText(section, name);
  if (!text) return std::nullopt;
  return ParseInt(*text);
}

std::int32_t ReadNumber(const SettingsStore& store, const char* section, const char* name,
                        std::int32_t fallback) {
  return ReadNumber(store, section, name).value_or(fallback);
}

// An enumeration stored by ordinal: values outside 0..count-1 count as missing.
template <typename Enum>
Enum ReadOrdinal(const SettingsStore& store, const char* section, const char* name, int count,
                 Enum fallback) {
  const std::optional<std::int32_t> n = ReadNumber(store, section, name);
  if (!n || *n < 0 || *n >= count) return fallback;
  return static_cast<Enum>(*n);
}

void WriteNumber(SettingsStore& store, const char* section, const char* name, std::int64_t value) {
  store.WriteText(section, name, std::to_string(value));
}

template <typename Enum>
void WriteOrdinal(SettingsStore& store, const char* section, const char* name, Enum value) {
  WriteNumber(store, section, name, static_cast<std::int64_t>(value));
}

}  // namespace

void ReadSettings(const SettingsStore& store, StoredSettings& v) {
  const char* s = kSettingsSection;
  const char* f = kFontSection;
  v.Line.Port = ReadOrdinal(store, s, "Communication Port", kPortCount, TPortType::COM2);
  v.Line.BaudRate = ReadOrdinal(store, s, "Baud Rate", kBaudRateCount, TBaudRate::br9600);
  v.Line.Parity = ReadOrdinal(store, s, "Parity", kParityCount, TParityBits::prNone);
  v.Line.StopBits = ReadOrdinal(store, s, "Stop Bits", kStopBitsCount, TStopBits::sbOneStopBit);
  v.ScaleAddress = static_cast<std::uint8_t>(ReadNumber(store, s, "Scale Address", 1) & 0xFF);
  v.ScaleModel = ReadNumber(store, s, "Scale Model", kDefaultScaleModel);
  v.ScaleVersion = ReadNumber(store, s, "Scale Version", kDefaultScaleVersion);
  v.Left = ReadNumber(store, s, "Left Position", v.Left);
  v.Top = ReadNumber(store, s, "Top Position", v.Top);
  v.Width = ReadNumber(store, s, "Form Width", 640);
  v.Height = ReadNumber(store, s, "Form Heiht", 480);

  const TFontValues current = v.Font;
  v.Font.CharSet = ReadNumber(store, f, "CharSet", v.Font.CharSet);
  v.Font.Color = ReadNumber(store, f, "Color", v.Font.Color);
  v.Font.Height = ReadNumber(store, f, "Height", v.Font.Height);
  if (std::optional<std::string> name = store.ReadText(f, "Name")) v.Font.Name = std::move(*name);
  v.Font.Pitch = ReadOrdinal(store, f, "Pitch", 3, v.Font.Pitch);
  v.Font.Size = ReadNumber(store, f, "Size", v.Font.Size);
  if (v.Font.Size == 0) {
    // A size of 0 names no size (the size decides over the height): the face, the style and the
    // rest stand, at the size the window's font has.
    v.Font.Size = current.Size;
    v.Font.Height = current.Height;
  }
  ApplyStyleLetters(store.ReadText(f, "Style").value_or(std::string()), v.Font);
}

void WriteSettings(SettingsStore& store, const StoredSettings& v) {
  const char* s = kSettingsSection;
  const char* f = kFontSection;
  WriteOrdinal(store, s, "Communication Port", v.Line.Port);
  WriteOrdinal(store, s, "Baud Rate", v.Line.BaudRate);
  WriteOrdinal(store, s, "Parity", v.Line.Parity);
  WriteOrdinal(store, s, "Stop Bits", v.Line.StopBits);
  WriteNumber(store, s, "Scale Address", v.ScaleAddress);
  WriteNumber(store, s, "Scale Model", v.ScaleModel);
  WriteNumber(store, s, "Scale Version", v.ScaleVersion);
  WriteNumber(store, s, "Left Position", v.Left);
  WriteNumber(store, s, "Top Position", v.Top);
  WriteNumber(store, s, "Form Width", v.Width);
  WriteNumber(store, s, "Form Heiht", v.Height);

  WriteNumber(store, f, "CharSet", v.Font.CharSet);
  WriteNumber(store, f, "Color", v.Font.Color);
  WriteNumber(store, f, "Height", v.Font.Height);
  store.WriteText(f, "Name", v.Font.Name);
  WriteOrdinal(store, f, "Pitch", v.Font.Pitch);
  WriteNumber(store, f, "Size", v.Font.Size);
  store.WriteText(f, "Style", StyleLetters(v.Font));
}

void LoadSettingsAtStartUp(const SettingsStore& store, RunState& state, StoredSettings& values,
                           StatusView& status) {
  state.SettingsKeyPresent = store.KeyExists();
  if (!state.SettingsKeyPresent) return;
  ReadSettings(store, values);
  state.ScaleAddress = values.ScaleAddress;
  state.ScaleModel = values.ScaleModel;
  state.ScaleVersion = values.ScaleVersion;
  state.SavedWidth = values.Width;
  state.SavedHeight = values.Height;
  state.CurrentScale = BuildScaleParams(state.ScaleModel, state.ScaleVersion);
  ShowConnectionPanels(status, state, values.Line);
}

void SaveSettingsAtClose(SettingsStore& store, const RunState& state, StoredSettings values) {
  if (!state.SettingsKeyPresent) return;
  values.ScaleAddress = state.ScaleAddress;
  values.ScaleModel = state.ScaleModel;
  values.ScaleVersion = state.ScaleVersion;
  WriteSettings(store, values);
}

void ShowConnectionPanels(StatusView& status, const RunState& state, const PortLineSettings& line) {
  status.SetStatusText(kPanelModel, state.CurrentScale.ModelName);
  status.SetStatusText(kPanelPort, PortPanelText(line.Port));
  status.SetStatusText(kPanelLine, LineSettingsText(line));
  status.SetStatusText(kPanelAddress, FormatAddress(state.ScaleAddress));
}

}  // namespace qm
