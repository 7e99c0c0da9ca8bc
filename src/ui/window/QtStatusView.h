// The status bar of the main window with its eight centred panels, and the rest of what the core
// shows through StatusView: the Save and Connect tool buttons and the four live display panels.
// The buttons and display panels are attached by the window once they exist; until then their
// state is kept and applied on attaching.
#pragma once

#include <QPointer>
#include <array>

#include "base/StatusView.h"

class QAction;
class QLabel;
class QStatusBar;

namespace qm {

class QtStatusView : public StatusView {
 public:
  // Panel widths in pixels at the design font, panel 0 to 7.
  static constexpr std::array<int, kStatusPanelCount> kPanelWidths = {80, 160, 60, 90,
                                                                      30, 60,  60, 50};

  // Every text panel 0 shows: the activity of the moment, "Idle." at start and "Done." after.
  static constexpr std::array<const char*, 13> kActivityTexts = {
      "Idle.",        "Done.",          "Reading PLU...", "Writing PLU...", "Reading MSG...",
      "Writing MSG...", "Reading GTD...", "Clearing GTD...", "Testing...",   "Sorting...",
      "Loading...",   "Saving...",      "Processing..."};

  // Fills `bar` (height 19) with the eight panels and their initial texts.
  explicit QtStatusView(QStatusBar* bar);

  // Gives panel `panel` `width` pixels, or more when a text it shows (for panel 0, any of the
  // activity texts) would not fit with a blank's room on either side.
  void FitPanel(int panel, int width);

  void SetStatusText(int panel, const std::string& text, bool repaintNow = false) override;
  void SetSaveEnabled(bool enabled) override;
  void SetConnectState(bool pressed, const std::string& hint) override;
  void SetDisplayText(int panel, const std::string& text) override;

  void AttachSaveAction(QAction* save);
  // `connect` must be checkable: it is shown checked (pressed) while the port is open.
  void AttachConnectAction(QAction* connect);
  void AttachDisplayPanels(const std::array<QLabel*, 4>& panels);

  QLabel* Panel(int panel) const { return panels_[panel]; }
  QString PanelText(int panel) const;

 private:
  // The width `panel` needs to show `text` with a blank's room on either side of it.
  int WidthFor(int panel, const QString& text) const;

  QStatusBar* bar_;
  std::array<QLabel*, kStatusPanelCount> panels_{};
  QPointer<QAction> save_;
  QPointer<QAction> connect_;
  std::array<QPointer<QLabel>, 4> display_{};
  bool saveEnabled_ = false;
  bool connectPressed_ = false;
  QString connectHint_;
  std::array<QString, 4> displayTexts_{};
};

}  // namespace qm
