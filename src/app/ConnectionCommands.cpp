#include "app/ConnectionCommands.h"

#include "base/AskNumber.h"
#include "base/Cp1251.h"
#include "base/StatusTexts.h"

namespace qm {

const std::string kDisconnectScaleQuestion = Win1251("Весы подключены, отключить?");
const std::string kAddressQuestionHead = Win1251("Весы с адресом ");
const std::string kAddressQuestionTail = Win1251("уже подключены, отключить?");

namespace {

// Asks the Yes/No question and closes the link on Yes. False when the command must end.
bool DisconnectIfOpen(const ConnectionSeams& seams, const std::string& question) {
  if (!seams.isPortOpen()) return true;
  MessageBoxRequest box;
  box.text = question;
  box.caption = kConfirmCaption;
  box.icon = DialogIcon::Question;
  box.buttons = kButtonYes | kButtonNo;
  if (seams.dialogs.ShowMessage(box) != kButtonYes) return false;
  seams.closeLink();
  return true;
}

}  // namespace

void SelectComPortClick(const ConnectionSeams& seams, PortSettingsAccess& port,
                        const RunPortDialog& runDialog) {
  if (!DisconnectIfOpen(seams, kDisconnectScaleQuestion)) return;

  if (const std::optional<PortDialogModel> chosen = runDialog(ReadPortDialogModel(port))) {
    WritePortDialogModel(*chosen, port);
  }
  seams.status.SetStatusText(kPanelPort, PortPanelText(port.Port()));
  seams.status.SetStatusText(kPanelLine, LineSettingsText(port.BaudRate(), port.DataBits(),
                                                          port.ParityBits(), port.StopBits()));
}

void SelectScaleAddrClick(const ConnectionSeams& seams, RunState& state) {
  // The three parts are joined as they stand: no blank between the address and "уже".
  const std::string question =
      kAddressQuestionHead + FormatAddress(state.ScaleAddress) + kAddressQuestionTail;
  if (!DisconnectIfOpen(seams, question)) return;

  const std::optional<std::int32_t> address =
      AskNumber(seams.dialogs, kAskScaleAddressPrompt, kBadScaleAddressError, 1,
                state.CurrentScale.MaxScaleAddress, FormatAddress(state.ScaleAddress));
  if (!address) return;
  state.ScaleAddress = static_cast<std::uint8_t>(*address);
  seams.status.SetStatusText(kPanelAddress, FormatAddress(state.ScaleAddress));
}

}  // namespace qm
