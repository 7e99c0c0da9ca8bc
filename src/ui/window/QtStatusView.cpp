#include "ui/window/QtStatusView.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <algorithm>

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
    label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    bar_->addWidget(label);
    panels_[i] = label;
    FitPanel(i, kPanelWidths[i]);
  }
}

int QtStatusView::WidthFor(int panel, const QString& text) const {
  const QLabel* label = panels_[panel];
  const QFontMetrics metrics = label->fontMetrics();
  return metrics.horizontalAdvance(text) + 2 * metrics.horizontalAdvance(QLatin1Char(' ')) +
         2 * label->frameWidth();
}

void QtStatusView::FitPanel(int panel, int width) {
  if (panel < 0 || panel >= kStatusPanelCount) return;
  width = std::max(width, WidthFor(panel, panels_[panel]->text()));
  if (panel == kPanelActivity) {
    for (const char* text : kActivityTexts) width = std::max(width, WidthFor(panel, text));
  }
  panels_[panel]->setFixedWidth(width);
}

QString QtStatusView::PanelText(int panel) const {
  return panels_[panel]->text();
}

void QtStatusView::SetStatusText(int panel, const std::string& text, bool repaintNow) {
  if (panel < 0 || panel >= kStatusPanelCount) return;
  QLabel* label = panels_[panel];
  label->setText(ToQString(text));
  // A text longer than any the panel was fitted for widens it rather than being cut.
  if (WidthFor(panel, label->text()) > label->width()) FitPanel(panel, label->width());
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
