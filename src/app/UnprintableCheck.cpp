#include "app/UnprintableCheck.h"

#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "tables/BusyScope.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

// A long list would make a box taller than the screen; the rest is counted.
constexpr std::size_t kListedCells = 20;

struct Texts {
  std::string caption = Win1251("Непечатаемые символы");
  std::string head = Win1251("Весы напечатают \"*\" вместо этих символов:");
  std::string none = Win1251("Все символы наименований, логотипов и сообщений весы напечатают.");
  std::string plu = Win1251("Товар, строка ");
  std::string message = Win1251("Сообщение ");
  std::string line = Win1251(", строка ");
  std::string more = Win1251("... и ещё ");
};

const Texts& T() {
  static const Texts texts;
  return texts;
}

}  // namespace

std::string UnprintableReportText(const std::vector<UnprintableCell>& cells, std::size_t limit) {
  if (cells.empty()) return T().none;
  std::string text = T().head;
  for (std::size_t i = 0; i < cells.size() && i < limit; ++i) {
    const UnprintableCell& c = cells[i];
    text += "\r\n";
    if (c.message) {
      text += T().message + std::to_string(c.row) + T().line + std::to_string(c.column);
    } else {
      text += T().plu + std::to_string(c.row) + ", " +
              PluColumnTitles().at(static_cast<std::size_t>(c.column));
    }
    text += ": " + ShownCharacters(c.characters);
  }
  if (cells.size() > limit) text += "\r\n" + T().more + std::to_string(cells.size() - limit) + ".";
  return text;
}

void UnprintableCheckClick(CheckCommandContext& c) {
  if (c.state.LinkBusy) return;
  BusyScope busy(c.state, c.status, "Testing...");
  const std::vector<UnprintableCell> cells = FindUnprintable(c.pluGrid, &c.messages);
  MessageBoxRequest box;
  box.text = UnprintableReportText(cells, kListedCells);
  box.caption = T().caption;
  box.icon = cells.empty() ? DialogIcon::Information : DialogIcon::Warning;
  box.buttons = kButtonOk;
  c.dialogs.ShowMessage(box);
}

}  // namespace qm
