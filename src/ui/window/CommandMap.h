// Every command of the main window in one place: the tool bar (buttons, dividers, the scale-type
// drop-down and the Connect toggle) and the menu bar, each entry with its object name, hint or
// caption, tag, image and the handler it runs. Both are built here from the tables in
// CommandMap.cpp and nowhere else; the panels only offer the handlers.
//
// Tags are kept in QAction::data() and read when an entry is triggered: the handler of a shared
// command learns from it the current record (1) or the whole table (0), or what a save or check
// covers.
//
// The bar and the menus are built first, when the window is made, so that they stand where a
// window's tool bar and menus stand in its focus order; the handlers are bound once the panels
// exist (Bind). An entry triggered before Bind, or after the map is gone, does nothing.
//
// Window thread only. Owned by the main window; the bar, menus and actions are Qt children of the
// window and outlive the map.
#pragma once

#include <QObject>
#include <array>
#include <optional>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace qm {

class Dialogs;

class FontLayoutHost;
class MainFormFiles;
class MainFormLink;
class MainFormTransfers;
class TMainForm;
class TablesWindow;

// Tool buttons carry their object names; menus and menu entries are named by their place.
enum class Cmd {
  // Tool bar, left to right.
  New,
  Open,
  Save,
  TestData,
  MatchButton,
  SelectScaleType,
  SelectComPort,
  SelectScaleAddr,
  Connect,
  ReadOnePlu,
  ReadAllPLU,
  WriteOnePLU,
  WriteAllPLU,
  ReadOneMessage,
  ReadAllMessages,
  WriteOneMessage,
  WriteAllMessages,
  ReadGTD,
  ClearGTD,
  SelectFont,
  // The scale-type drop-down: one entry a scale model ("QM-&06(R)", ...), in the order of the
  // model table; Menu(ScaleTypeMenu) holds them.
  ScaleTypeMenu,
  // Menu bar.
  FileMenu,
  FileNewMenu,
  FileNewDataSet,
  FileNewPlu,
  FileNewMessages,
  FileOpen,
  FileSaveMenu,
  FileSaveAll,
  FileSavePlu,
  FileSaveMessages,
  FileSaveTotals,
  FileExit,
  CheckMenu,
  CheckAll,
  CheckPlu,
  CheckMessages,
  CheckUnprintable,  // "&Непечатаемые символы": characters the scale prints as "*"
  ReadMenu,
  ReadPluMenu,
  ReadPluTable,
  ReadPluRow,
  ReadMsgMenu,
  ReadMsgAll,
  ReadMsgCurrent,
  WriteMenu,
  WritePluMenu,
  WritePluTable,
  WritePluChanged,
  WritePluRow,
  WriteMsgMenu,
  WriteMsgAll,
  WriteMsgCurrent,
  InfoMenu,
  About,
  kCount
};

// What the handlers run on. `dialogs` shows the error report of a command that failed.
struct CommandTargets {
  Dialogs& dialogs;
  TMainForm& form;
  TablesWindow& tables;
  MainFormFiles& files;
  MainFormLink& link;
  MainFormTransfers& transfers;
  FontLayoutHost& layout;
};

// The handler of an entry: its command, given the entry's tag.
using CommandHandler = void (*)(const CommandTargets& targets, int tag);

class CommandMap : public QObject {
  Q_OBJECT

 public:
  // Adds the tool bar (height 30, flat 16-pixel images) and the menus to `window`.
  explicit CommandMap(QMainWindow& window);
  ~CommandMap() override;

  // From now on every entry runs its handler on `targets`, which must outlive this map.
  void Bind(const CommandTargets& targets);

  QToolBar* Bar() const { return bar_; }
  // The action of a tool button or menu entry; for a menu, the action that opens it. For the
  // scale-type drop-down, the bar's place of the button (QToolBar::widgetForAction gives it).
  QAction* Action(Cmd id) const { return actions_[static_cast<std::size_t>(id)]; }
  // The menu of a menu id; nullptr for the others.
  QMenu* Menu(Cmd id) const { return menus_[static_cast<std::size_t>(id)]; }

 private:
  void BuildToolBar(QMainWindow& window);
  void BuildMenus(QMainWindow& window);
  // `action` runs `handler` with the tag it holds, once bound. An exception that escapes the
  // handler (a port failure ending a transfer, after the transfer's own finish has run) is shown
  // as the program's error report: the message, the program's title as caption, the error icon.
  void Wire(QAction* action, CommandHandler handler);

  QToolBar* bar_ = nullptr;
  std::array<QAction*, static_cast<std::size_t>(Cmd::kCount)> actions_{};
  std::array<QMenu*, static_cast<std::size_t>(Cmd::kCount)> menus_{};
  std::optional<CommandTargets> targets_;
};

}  // namespace qm
