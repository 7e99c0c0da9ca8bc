#include "ui/window/ErrorReport.h"

#include "base/Cp1251.h"
#include "base/Dialogs.h"

namespace qm {

void ShowErrorReport(Dialogs& dialogs, std::exception_ptr failure) {
  MessageBoxRequest box;
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    box.text = e.what();
  } catch (...) {
    box.text = "Unknown failure.";
  }
  box.caption = Win1251("QM V-1.6 Interchange Program");
  box.icon = DialogIcon::Error;
  box.buttons = kButtonOk;
  dialogs.ShowMessage(box);
}

}  // namespace qm
