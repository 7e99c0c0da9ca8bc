// The page pane of the main window (left 0, under the tool bar, 535 x 230 at the design size)
// with the pages "Товар", "Сообщение" and "Общий итог". The pages' contents are the PLU row
// editor, the message editor and the totals view, each built on its page widget.
#pragma once

class QComboBox;
class QTabWidget;
class QWidget;

namespace qm {

struct MainPages {
  QTabWidget* PageControl = nullptr;
  QWidget* PluPage = nullptr;     // page 0, "Товар"
  QWidget* MsgPage = nullptr;     // page 1, "Сообщение"
  QWidget* TotalsPage = nullptr;  // page 2, "Общий итог"
  // The PLU row editor's logo selector: "Логотипа нет", "Логотип РосТест", "Другой логотип"
  // (index = logo code), three entries visible, drop-down 120 wide.
  QComboBox* LogoSelector = nullptr;
};

// Builds the pane on `client` (the window's central widget); page 0 is active. Ctrl+Tab and
// Ctrl+PgDn show the next page, Ctrl+Shift+Tab and Ctrl+PgUp the previous one, round the ends,
// wherever the focus is in the window.
MainPages BuildMainPages(QWidget* client);

}  // namespace qm
