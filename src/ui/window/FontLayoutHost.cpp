#include "ui/window/FontLayoutHost.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

#include "app/SavedLayoutLimits.h"
#include "ui/tables/TSortGrid.h"
#include "ui/window/QtFont.h"
#include "ui/window/QtStatusView.h"

namespace qm {

namespace {

QRect ToRect(const Bounds& b) {
  return QRect(b.left, b.top, b.width, b.height);
}
Bounds ToBounds(const QRect& r) {
  return {r.x(), r.y(), r.width(), r.height()};
}

bool ManagedBy(const QLayout* layout, const QWidget* widget) {
  if (!layout) return false;
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    if (item->widget() == widget) return true;
    if (ManagedBy(item->layout(), widget)) return true;
  }
  return false;
}

// The widgets whose children the window places itself (the pages and what stands on them).
bool IsContainer(const QWidget& w) {
  const QMetaObject* type = w.metaObject();
  return type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject ||
         qobject_cast<const QGroupBox*>(&w) != nullptr;
}

class WidgetControl final : public LayoutControl {
 public:
  // Made while the window has its design layout (the resizers are registered then).
  WidgetControl(QWidget* widget, ControlKind kind) : widget_(widget), kind_(kind) {
    // Labels are not scaled in width; they follow their text instead, so that it is never cut
    // at a larger font. A one-line label laid out at the width of its text sizes itself to its
    // text; one given a width of its own keeps it, and grows only when its text needs more.
    // At the font they were laid out with, both have the width they were given.
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (kind == ControlKind::kLabel && label && !label->wordWrap() && label->pixmap().isNull()) {
      fit_ = label->width() == label->sizeHint().width() ? LabelFit::kText : LabelFit::kAtLeast;
      designWidth_ = label->width();
    }
  }

  bool Alive() const override { return !widget_.isNull(); }
  bool FillsParentClient() const override {
    return widget_ && widget_->parentWidget() &&
           ManagedBy(widget_->parentWidget()->layout(), widget_);
  }
  ControlKind Kind() const override { return kind_; }
  Bounds GetBounds() const override { return widget_ ? ToBounds(widget_->geometry()) : Bounds{}; }
  void SetBounds(const Bounds& bounds) override {
    if (!widget_) return;
    QRect place = ToRect(bounds);
    const int text = fit_ == LabelFit::kNone ? 0 : widget_->sizeHint().width();
    if (fit_ == LabelFit::kText) place.setWidth(text);
    if (fit_ == LabelFit::kAtLeast) place.setWidth(std::max(designWidth_, text));
    widget_->setGeometry(place);
  }
  std::vector<std::shared_ptr<LayoutControl>> Children() const override {
    std::vector<std::shared_ptr<LayoutControl>> children;
    if (!widget_ || !IsContainer(*widget_)) return children;
    for (QObject* child : widget_->children()) {
      auto* w = qobject_cast<QWidget*>(child);
      if (w && !w->isWindow()) children.push_back(WrapWidget(w, KindOf(*w)));
    }
    return children;
  }

 private:
  enum class LabelFit { kNone, kText, kAtLeast };
  QPointer<QWidget> widget_;
  ControlKind kind_;
  LabelFit fit_ = LabelFit::kNone;
  int designWidth_ = 0;
};

}  // namespace

std::shared_ptr<LayoutControl> WrapWidget(QWidget* widget, ControlKind kind) {
  return std::make_shared<WidgetControl>(widget, kind);
}

ControlKind KindOf(const QWidget& widget) {
  if (qobject_cast<const QLabel*>(&widget)) return ControlKind::kLabel;
  if (widget.metaObject() == &QFrame::staticMetaObject) return ControlKind::kPanel;
  return ControlKind::kOther;
}

FontLayoutHost::FontLayoutHost(QMainWindow& window, const LayoutPanes& panes,
                               TFontValues& dialogFont)
    : form_(window),
      toolBar_(panes.toolBar),
      pages_(panes.pages),
      pluGrid_(panes.pluGrid),
      msgGrid_(panes.msgGrid),
      status_(*panes.status),
      dialogFont_(dialogFont),
      layout_(*this) {
  for (std::size_t i = 0; i < displayPanels_.size(); ++i) {
    displayPanels_[i] = panes.displayPanels[i];
  }
  // A grid whose vertical scroll bar comes or goes has a narrower or wider cell area; its
  // columns are fitted again, so no horizontal scroll bar appears and the last column is seen.
  for (TSortGrid* grid : {pluGrid_.data(), msgGrid_.data()}) {
    if (!grid) continue;
    grid->OnCellAreaWidthChanged = [this] {
      // Fitting may itself make a scroll bar come or go (and the cell area change again); the
      // columns are then fitted once more to where the cell area settled.
      if (fitting_) {
        fitAgain_ = true;
        return;
      }
      fitting_ = true;
      for (int round = 0; round < 4; ++round) {
        fitAgain_ = false;
        layout_.FitGridColumns();
        if (!fitAgain_) break;
      }
      fitting_ = false;
    };
  }
  ChooseFont = [this](const FontChoice& current) -> std::optional<FontChoice> {
    // Underline, strike-out and colour are offered; only installed faces can be chosen.
    FontColorDialog dialog(current, &form_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
  };
}

FontLayoutHost::~FontLayoutHost() {
  for (TSortGrid* grid : {pluGrid_.data(), msgGrid_.data()}) {
    if (grid) grid->OnCellAreaWidthChanged = nullptr;
  }
}

void FontLayoutHost::StartAtDesignSize() {
  // The panes were placed at their design bounds; the grids take what the tool bar, the page
  // pane and the status bar leave of the design client area, as they did when it was drawn.
  form_.setMinimumSize(kDesignFormWidth, kDesignFormHeight);
  SetWindowSize({kDesignFormWidth, kDesignFormHeight});
  const Size client = ClientSize();
  const Bounds pane = PagePaneBounds();
  Bounds messages = GridBounds(LayoutGrid::kMessage);
  messages.left = pane.left + pane.width;
  messages.top = pane.top;
  messages.width = std::max(client.width - messages.left, 0);
  messages.height = pane.height;
  SetGridBounds(LayoutGrid::kMessage, messages);
  Bounds plu = GridBounds(LayoutGrid::kPlu);
  plu.left = 0;
  plu.top = pane.top + pane.height;
  plu.width = client.width;
  plu.height = std::max(client.height - plu.top - StatusBarHeight(), 0);
  SetGridBounds(LayoutGrid::kPlu, plu);
  // Before the resizers take the design bounds, so that choosing the design font again gives
  // back a selector that fits.
  FitLogoSelector();
  layout_.StartAtDesignSize();
  FitStatusPanels();
}

void FontLayoutHost::ApplySavedFont(TFontValues& font) {
  const QFont candidate = ToQFont(font);
  const FontMetrics now = WindowFont();
  const FontMetrics wanted{QFontInfo(candidate).pixelSize(), candidate.bold()};
  if (!SavedFontUsable(font.Size, ComputeFontFactors(now, wanted), AvailableWindowSize())) {
    font = TFontValues{};
    ApplyFont(ToQFont(font));
    ApplyColor(ToQColor(font.Color));
    return;
  }
  ApplyFont(candidate);
  ApplyColor(ToQColor(font.Color));
}

void FontLayoutHost::ApplySavedSize(std::int32_t width, std::int32_t height, bool placementRead) {
  const Size fitted = ClampToAvailable({width, height}, AvailableWindowSize());
  layout_.ApplySavedSize(fitted.width, fitted.height);
  placementRead_ = placementRead;
  FitOnScreen(placementRead_);
  fitWhenShown_ = true;
}

void FontLayoutHost::WindowShown() {
  if (!fitWhenShown_) return;
  fitWhenShown_ = false;
  // After the show has been handled, when the platform window and its frame exist.
  QTimer::singleShot(0, &form_, [this] { FitOnScreen(placementRead_); });
}

void FontLayoutHost::ApplyFont(const QFont& font) {
  layout_.ApplyFont([&] {
    form_.setFont(font);
    Settle();
  });
  const LayoutState& s = layout_.State();
  form_.setMinimumSize(s.MinFormWidth, s.MinFormHeight);
  FitStatusPanels();
  FitLogoSelector();
}

void FontLayoutHost::FitLogoSelector() {
  QComboBox* logo = pages_.LogoSelector;
  if (logo == nullptr || logo->parentWidget() == nullptr) return;
  const int overflow = logo->sizeHint().width() - logo->width();
  if (overflow <= 0) return;
  const QRect place = logo->geometry();
  // The row ends with its last text field (the code field); the editor's buttons beyond it stay.
  std::vector<QWidget*> between;
  QLineEdit* last = nullptr;
  for (QObject* child : logo->parentWidget()->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (w == nullptr || w == logo || w->isWindow()) continue;
    // On the row: its middle within the selector's height (labels are centred on the row, so
    // their top is not the selector's).
    const int middle = w->geometry().center().y();
    if (middle < place.top() || middle > place.bottom() || w->x() < place.right()) continue;
    between.push_back(w);
    auto* field = qobject_cast<QLineEdit*>(w);
    if (field != nullptr && (last == nullptr || field->x() > last->x())) last = field;
  }
  if (last == nullptr || last->width() - overflow < last->height()) return;
  logo->resize(place.width() + overflow, place.height());
  for (QWidget* w : between) {
    if (w == last) {
      QRect r = w->geometry();
      r.setLeft(r.left() + overflow);  // the right edge stays
      w->setGeometry(r);
    } else if (w->x() < last->x()) {
      w->move(w->x() + overflow, w->y());
    }
  }
}

void FontLayoutHost::WindowResized() {
  if (adjusting_) return;
  const Size now = WindowSize();
  const Size accepted = layout_.ResizeRequest(now);
  if (accepted == now) return;
  adjusting_ = true;
  form_.resize(accepted.width, accepted.height);
  adjusting_ = false;
}

void FontLayoutHost::SelectFontClick() {
  if (!ChooseFont) return;
  const std::optional<FontChoice> chosen =
      ChooseFont(FontChoice{ToQFont(dialogFont_), ToQColor(dialogFont_.Color)});
  if (!chosen) return;
  ApplyFont(chosen->font);
  ApplyColor(chosen->color);
  TakeQFont(chosen->font, dialogFont_, form_.logicalDpiY());
  // A colour left at what it was keeps its number, a system colour included.
  if (chosen->color != ToQColor(dialogFont_.Color)) dialogFont_.Color = FromQColor(chosen->color);
}

void FontLayoutHost::ApplyColor(const QColor& color) {
  // Panels that set their own colours (the display panels) keep them.
  QPalette palette = form_.palette();
  const QPalette desktop = QApplication::palette(&form_);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(role, color.isValid() ? color : desktop.color(role));
  }
  form_.setPalette(palette);
}

// ---- LayoutHost ----

void FontLayoutHost::Settle() const {
  // QMainWindow lays its parts out when it gets to its posted layout request or, for a hidden
  // window, when it is shown; the layout needs the result now. The menu bar goes on top, the
  // rest (tool bar, central widget, status bar) below it, as the window's own layout does.
  const int height = MenuHeight();
  if (QWidget* menu = form_.menuWidget(); menu && height > 0) {
    menu->setGeometry(0, 0, form_.width(), height);
  }
  if (QLayout* frame = form_.layout()) {
    frame->setGeometry(QRect(0, height, form_.width(), std::max(form_.height() - height, 0)));
  }
}

std::int32_t FontLayoutHost::MenuHeight() const {
  const QWidget* menu = form_.menuWidget();
  if (!menu || menu->isHidden() || menu->isWindow()) return 0;
  int height = menu->heightForWidth(std::max(form_.width(), menu->minimumWidth()));
  if (height < 0) height = menu->sizeHint().height();
  return std::min(std::max(height, menu->minimumHeight()), menu->maximumHeight());
}

std::int32_t FontLayoutHost::CentralTop() const {
  return form_.centralWidget()->y() - MenuHeight();
}

Size FontLayoutHost::WindowSize() const {
  return {form_.width(), form_.height()};
}

Size FontLayoutHost::ClientSize() const {
  Settle();
  return {form_.width(), form_.height() - MenuHeight()};
}

void FontLayoutHost::SetWindowSize(Size size) {
  // The minimum goes first: Qt would hold the window at an old, larger minimum.
  const LayoutState& s = layout_.State();
  form_.setMinimumSize(s.MinFormWidth, s.MinFormHeight);
  form_.resize(size.width, size.height);
  Settle();
}

FontMetrics FontLayoutHost::WindowFont() const {
  const QFont font = form_.font();
  return {QFontInfo(font).pixelSize(), font.bold()};
}

std::int32_t FontLayoutHost::ToolBarHeight() const {
  return toolBar_->height();
}

std::int32_t FontLayoutHost::StatusBarHeight() const {
  return form_.statusBar()->height();
}

void FontLayoutHost::SetStatusBarHeight(std::int32_t height) {
  form_.statusBar()->setFixedHeight(std::max(height, 1));
  Settle();
}

Bounds FontLayoutHost::PagePaneBounds() const {
  Bounds b = ToBounds(pages_.PageControl->geometry());
  b.top += CentralTop();
  return b;
}

void FontLayoutHost::SetPagePaneBounds(const Bounds& bounds) {
  Bounds b = bounds;
  b.top -= CentralTop();
  pages_.PageControl->setGeometry(ToRect(b));
}

QWidget* FontLayoutHost::Grid(LayoutGrid grid) const {
  return grid == LayoutGrid::kPlu ? pluGrid_.data() : msgGrid_.data();
}

Bounds FontLayoutHost::GridBounds(LayoutGrid grid) const {
  Bounds b = ToBounds(Grid(grid)->geometry());
  b.top += CentralTop();
  return b;
}

void FontLayoutHost::SetGridBounds(LayoutGrid grid, const Bounds& bounds) {
  Bounds b = bounds;
  b.top -= CentralTop();
  Grid(grid)->setGeometry(ToRect(b));
}

std::int32_t FontLayoutHost::GridClientWidth(LayoutGrid grid) const {
  const TSortGrid* view = grid == LayoutGrid::kPlu ? pluGrid_.data() : msgGrid_.data();
  // A shown grid has laid its viewport out as soon as it was resized. A hidden one does that
  // only when shown; until then its cell area is its inside less a scroll bar that is always on.
  if (view->isVisible()) return view->viewport()->width();
  int width = view->contentsRect().width();
  if (view->verticalHeader()->isVisibleTo(view)) width -= view->verticalHeader()->width();
  if (view->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) {
    width -= view->verticalScrollBar()->sizeHint().width();
  }
  return std::max(width, 0);
}

std::int32_t FontLayoutHost::GridScrollBarWidth(LayoutGrid grid) const {
  const TSortGrid* view = grid == LayoutGrid::kPlu ? pluGrid_.data() : msgGrid_.data();
  const QScrollBar* bar = view->verticalScrollBar();
  if (view->isVisible()) return bar->isVisible() ? bar->width() : 0;
  return view->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ? bar->sizeHint().width() : 0;
}

int FontLayoutHost::GridColumnCount(LayoutGrid grid) const {
  const TSortGrid* view = grid == LayoutGrid::kPlu ? pluGrid_.data() : msgGrid_.data();
  return view->horizontalHeader()->count();
}

std::int32_t FontLayoutHost::GridDefaultRowHeight(LayoutGrid grid) const {
  const TSortGrid* view = grid == LayoutGrid::kPlu ? pluGrid_.data() : msgGrid_.data();
  return view->verticalHeader()->defaultSectionSize();
}

void FontLayoutHost::SetGridDefaultRowHeight(LayoutGrid grid, std::int32_t height) {
  TSortGrid* view = grid == LayoutGrid::kPlu ? pluGrid_.data() : msgGrid_.data();
  view->SetRowHeight(std::max(height, 1));
}

void FontLayoutHost::SetGridColumnWidths(LayoutGrid grid, const std::vector<std::int32_t>& widths) {
  TSortGrid* view = grid == LayoutGrid::kPlu ? pluGrid_.data() : msgGrid_.data();
  // The widths are of the cells, with one pixel of grid line after each column but the last;
  // a Qt section holds its grid line, so it is one wider. The columns then fill the cell area
  // exactly, with no scroll bar for a pixel too many.
  const int count = std::min<int>(static_cast<int>(widths.size()), GridColumnCount(grid));
  for (int c = 0; c < count; ++c) {
    const int line = c + 1 < count && view->showGrid() ? 1 : 0;
    view->setColumnWidth(c, widths[static_cast<std::size_t>(c)] + line);
  }
}

std::vector<std::shared_ptr<LayoutControl>> FontLayoutHost::Pages() const {
  const MainPages& pages = pages_;
  return {WrapWidget(pages.PluPage, ControlKind::kOther),
          WrapWidget(pages.MsgPage, ControlKind::kOther),
          WrapWidget(pages.TotalsPage, ControlKind::kOther)};
}

std::vector<std::shared_ptr<LayoutControl>> FontLayoutHost::DisplayPanels() const {
  std::vector<std::shared_ptr<LayoutControl>> panels;
  for (QLabel* panel : displayPanels_) {
    panels.push_back(WrapWidget(panel, ControlKind::kPanel));
  }
  return panels;
}

void FontLayoutHost::SetDisplayFontSize(std::int32_t points) {
  for (QLabel* panel : displayPanels_) {
    if (!panel) continue;
    QFont font = panel->font();
    font.setPointSize(std::max(points, 1));
    panel->setFont(font);
  }
}

// ---- Screen ----

Size FontLayoutHost::AvailableWindowSize() const {
  const QScreen* screen = form_.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return {kDesignFormWidth, kDesignFormHeight};
  const QRect area = screen->availableGeometry();
  // The window manager's frame is known once the window is shown; before, it counts as none.
  const QSize frame = form_.frameGeometry().size() - form_.size();
  return {area.width() - std::max(frame.width(), 0), area.height() - std::max(frame.height(), 0)};
}

void FontLayoutHost::FitOnScreen(bool movePlacement) {
  const Size size = WindowSize();
  const Size fitted = ClampToAvailable(size, AvailableWindowSize());
  if (fitted != size) {
    // Through the resize handling, which keeps the minimum size and gives the grids the change.
    const Size accepted = layout_.ResizeRequest(fitted);
    if (accepted != size) {
      adjusting_ = true;
      form_.resize(accepted.width, accepted.height);
      adjusting_ = false;
    }
  }
  if (!movePlacement) return;
  const QScreen* screen = QGuiApplication::screenAt(form_.frameGeometry().center());
  if (!screen) screen = form_.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = form_.frameGeometry();
  const int left = KeepInside(frame.x(), frame.width(), area.x(), area.width());
  const int top = KeepInside(frame.y(), frame.height(), area.y(), area.height());
  if (left != frame.x() || top != frame.y()) form_.move(left, top);
}

void FontLayoutHost::FitStatusPanels() {
  const double scale = layout_.State().FontScaleH / kFontScaleUnit;
  QtStatusView& status = status_;
  for (int i = 0; i < kStatusPanelCount; ++i) {
    status.FitPanel(i, std::max(RoundHalfEven(QtStatusView::kPanelWidths[i] * scale), 1));
  }
}

}  // namespace qm
