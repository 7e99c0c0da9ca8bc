#include "app/CloseRequest.h"

#include "base/Captions.h"

#include "base/Cp1251.h"

namespace qm {

bool ConfirmClose(Dialogs& dialogs) {
  static const std::string kQuestion = Win1251("Вы хотите закончить работу?");
  MessageBoxRequest box;
  box.text = kQuestion;
  box.caption = kConfirmCaption;
  box.icon = DialogIcon::Question;
  box.buttons = kButtonYes | kButtonNo;
  box.defaultButton = kButtonYes;
  return dialogs.ShowMessage(box) == kButtonYes;
}

}  // namespace qm
