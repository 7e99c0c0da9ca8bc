#include "app/CloseRequest.h"

#include "app/Cp1251.h"

namespace qm {

bool ConfirmClose(Dialogs& dialogs) {
  static const std::string kQuestion = Win1251("Вы хотите закончить работу?");
  static const std::string kCaption = Win1251("Подтвердите");
  MessageBoxRequest box;
  box.text = kQuestion;
  box.caption = kCaption;
  box.icon = DialogIcon::Question;
  box.buttons = kButtonYes | kButtonNo;
  box.defaultButton = kButtonYes;
  return dialogs.ShowMessage(box) == kButtonYes;
}

}  // namespace qm
