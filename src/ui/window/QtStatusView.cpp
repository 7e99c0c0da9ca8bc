#include "ui/window/QtStatusView.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

#include "ui/window/QtText.h"

namespace qm {

QtStatusView::QtStatusView(QStatusBar* bar) : bar_(bar) {
  static constexpr const char* kInitialTexts[kStatusPanelCount] = {
      "Idle.", "Тип весов не выбран", "COM2", "9600   8-N-1", "01", "1 PLU", "1 MSG", "Busy..."};
  bar_->setFixedHeight(19);
  bar_->setSizeGripEnabled(false);
  for (int i = 0; i < kStatusPanelCount; ++i) {
    auto* label = new QLabel(QString::fromUtf8(kInitialTexts[i]), bar_);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setFixedWidth(kPanelWidths[i]);
    label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    bar_->addWidget(label);
    panels_[i] = label;
  }
}

QString QtStatusView::PanelText(int panel) const {
  return panels_[panel]->text();
}

void QtStatusView::SetStatusText(int panel, const std::string& text, bool repaintNow) {
  if (panel < 0 || panel >= kStatusPanelCount) return;
  panels_[panel]->setText(ToQString(text));
  if (repaintNow) bar_->repaint();
}

void QtStatusView::SetSaveEnabled(bool enabled) {
  saveEnabled_ = enabled;
  if (save_) save_->setEnabled(enabled);
}

void QtStatusView::SetConnectState(bool pressed, const std::string& hint) {
  connectPressed_ = pressed;
  connectHint_ = ToQString(hint);
  if (connect_) {
    connect_->setChecked(pressed);
    connect_->setToolTip(connectHint_);
  }
}

void QtStatusView::SetDisplayText(int panel, const std::string& text) {
  if (panel < 0 || panel >= 4) return;
  displayTexts_[panel] = ToQString(text);
  if (display_[panel]) display_[panel]->setText(displayTexts_[panel]);
}

void QtStatusView::AttachSaveAction(QAction* save) {
  save_ = save;
  save_->setEnabled(saveEnabled_);
}

void QtStatusView::AttachConnectAction(QAction* connect) {
  connect_ = connect;
  connect_->setChecked(connectPressed_);
  if (!connectHint_.isEmpty()) connect_->setToolTip(connectHint_);
}

void QtStatusView::AttachDisplayPanels(const std::array<QLabel*, 4>& panels) {
  for (int i = 0; i < 4; ++i) {
    display_[i] = panels[i];
    if (display_[i]) display_[i]->setText(displayTexts_[i]);
  }
}

}  // namespace qm
