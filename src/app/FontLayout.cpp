#include "app/FontLayout.h"

#include <algorithm>
#include <cmath>

namespace qm {
namespace {

// Widths and heights handed to widgets: a grid squeezed below nothing gets no size, not a
// negative one.
std::int32_t NonNegative(std::int64_t value) {
  return Saturate32(std::max<std::int64_t>(value, 0));
}

bool UsableFactor(double f) {
  return std::isfinite(f) && f > 0;
}

// Clears the flag however ApplyFont is left, so a failing font change cannot leave the window
// accepting every resize unchecked.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

std::optional<FontFactors> ComputeFontFactors(const FontMetrics& before, const FontMetrics& after) {
  // Heights may be given negative (character height rather than cell height); only the size of
  // the number matters for the ratio. Taken as double so that the lowest 32-bit value is safe.
  const double h0 = std::fabs(static_cast<double>(before.height));
  const double h1 = std::fabs(static_cast<double>(after.height));
  if (h0 == 0 || h1 == 0) return std::nullopt;
  const double b0 = before.bold ? kBoldWidening : 1.0;
  FontFactors f;
  f.v = h1 / h0;
  f.h = after.bold ? kBoldWidening * f.v / b0 : f.v / b0;
  return f;
}

void FontLayout::StartAtDesignSize() {
  state_.MinFormWidth = state_.LayoutWidth = kDesignFormWidth;
  state_.MinFormHeight = state_.LayoutHeight = kDesignFormHeight;
  host_.SetWindowSize({kDesignFormWidth, kDesignFormHeight});
  FitGridColumns();
  state_.FontScaleV = state_.FontScaleH = kFontScaleUnit;
  design_ = {host_.PagePaneBounds(), host_.StatusBarHeight(),
             host_.GridDefaultRowHeight(LayoutGrid::kPlu),
             host_.GridDefaultRowHeight(LayoutGrid::kMessage)};
  designWindow_ = host_.WindowSize();
  resizedAwayFromDesign_ = false;
  RegisterResizers();
}

void FontLayout::ApplyFont(const std::function<void()>& giveNewFont) {
  FlagScope applying(state_.FontApplying);
  const FontMetrics before = host_.WindowFont();
  const Size clientBefore = host_.ClientSize();
  const std::int32_t toolBarBefore = host_.ToolBarHeight();
  if (giveNewFont) giveNewFont();
  const FontMetrics after = host_.WindowFont();
  if (const auto f = ComputeFontFactors(before, after)) {
    Rescale(f->h, f->v, clientBefore, toolBarBefore);
  }
}

void FontLayout::ScaleLayout(double h, double v) {
  Rescale(h, v, host_.ClientSize(), host_.ToolBarHeight());
}

void FontLayout::Rescale(double h, double v, Size clientBefore, std::int32_t toolBarBefore) {
  if (!UsableFactor(h) || !UsableFactor(v)) return;
  if (state_.FontScaleV == kFontScaleUnit && state_.FontScaleH == kFontScaleUnit) {
    // Leaving the design font (the accumulators are exactly 1000 only there).
    designWindow_ = host_.WindowSize();
    resizedAwayFromDesign_ = false;
  }

  // The accumulators remember where the font has taken the layout. Back at the design font they
  // are set to exactly 1000 and the controls are restored from their saved bounds, so rounding
  // and floating-point drift never pile up over many font changes.
  state_.FontScaleV *= v;
  state_.FontScaleH *= h;
  const bool atDesign = RoundHalfEven(state_.FontScaleV) == kFontScaleUnit &&
                        RoundHalfEven(state_.FontScaleH) == kFontScaleUnit;
  if (atDesign) {
    state_.FontScaleV = state_.FontScaleH = kFontScaleUnit;
    state_.MinFormWidth = kDesignFormWidth;
    state_.MinFormHeight = kDesignFormHeight;
  } else {
    state_.MinFormWidth = RoundHalfEven(state_.MinFormWidth * h);
    state_.MinFormHeight = RoundHalfEven(state_.MinFormHeight * v);
  }

  // Window: the client area below the tool bar scales; the frame and the tool bar keep the
  // size they have at the new font. The client area is taken as it was at the old font, since
  // the window's frame (its menu bar) may already have changed with the new one.
  const Size window = host_.WindowSize();
  Size client = host_.ClientSize();
  std::int32_t toolBar = host_.ToolBarHeight();
  std::int64_t width =
      std::int64_t{window.width} - client.width + RoundHalfEven(clientBefore.width * h);
  std::int64_t height = std::int64_t{window.height} - client.height + toolBar +
                        RoundHalfEven((std::int64_t{clientBefore.height} - toolBarBefore) * v);
  if (atDesign && !resizedAwayFromDesign_) {
    width = designWindow_.width;
    height = designWindow_.height;
  }
  state_.LayoutWidth = Saturate32(std::max<std::int64_t>(width, state_.MinFormWidth));
  state_.LayoutHeight = Saturate32(std::max<std::int64_t>(height, state_.MinFormHeight));
  // LayoutWidth/Height are already the new size, so a resize request delivered from inside this
  // call finds no difference to give the grids.
  host_.SetWindowSize({state_.LayoutWidth, state_.LayoutHeight});
  client = host_.ClientSize();
  toolBar = host_.ToolBarHeight();

  Bounds pane = host_.PagePaneBounds();
  pane.width = atDesign ? design_.pagePane.width : RoundHalfEven(pane.width * h);
  pane.height = atDesign ? design_.pagePane.height : RoundHalfEven(pane.height * v);
  host_.SetPagePaneBounds(pane);
  pane = host_.PagePaneBounds();
  host_.SetStatusBarHeight(atDesign ? design_.statusBar
                                    : RoundHalfEven(host_.StatusBarHeight() * v));
  const std::int32_t statusBar = host_.StatusBarHeight();

  // Message grid: right of the page pane, as tall as it.
  Bounds messages = host_.GridBounds(LayoutGrid::kMessage);
  messages.left = pane.width;
  messages.width = NonNegative(std::int64_t{client.width} - messages.left);
  messages.height = pane.height;
  host_.SetGridBounds(LayoutGrid::kMessage, messages);
  host_.SetGridDefaultRowHeight(
      LayoutGrid::kMessage,
      atDesign ? design_.messageRowHeight
               : RoundHalfEven(host_.GridDefaultRowHeight(LayoutGrid::kMessage) * v));

  // PLU grid: below the page pane, full width, down to the status bar.
  Bounds plu = host_.GridBounds(LayoutGrid::kPlu);
  plu.top = Saturate32(std::int64_t{pane.top} + pane.height);
  plu.width = NonNegative(client.width);
  plu.height = NonNegative(std::int64_t{client.height} - toolBar - pane.height - statusBar);
  host_.SetGridBounds(LayoutGrid::kPlu, plu);
  host_.SetGridDefaultRowHeight(
      LayoutGrid::kPlu, atDesign ? design_.pluRowHeight
                                 : RoundHalfEven(host_.GridDefaultRowHeight(LayoutGrid::kPlu) * v));

  FitGridColumns();

  for (TSingleResizer& r : resizers_) r.Resize(h, atDesign ? 0 : v);

  // A font of 0 points is no font; the smallest the panels get is 1.
  const std::int32_t displayFont =
      atDesign ? kDesignDisplayFontSize
               : RoundHalfEven(state_.FontScaleV * kDesignDisplayFontSize / kFontScaleUnit);
  host_.SetDisplayFontSize(std::max(displayFont, 1));
}

void FontLayout::FitGridColumns() {
  // PLU grid: the columns share the width by weight; the last one takes what rounding left, so
  // the columns always fill the cell area exactly (one pixel of grid line per column). A vertical
  // scroll bar's width is left out of the share, so the columns keep their proportions beside it
  // and the last one is not squeezed.
  const int n = std::clamp(host_.GridColumnCount(LayoutGrid::kPlu), 0,
                           static_cast<int>(ColumnWeights.size()));
  if (n > 0) {
    int weightSum = 0;
    for (int i = 0; i < n; ++i) weightSum += ColumnWeights[i];
    const double share = std::int64_t{host_.GridBounds(LayoutGrid::kPlu).width} - n -
                         host_.GridScrollBarWidth(LayoutGrid::kPlu);
    std::vector<std::int32_t> widths(n);
    std::int64_t taken = 0;
    for (int i = 0; i + 1 < n; ++i) {
      widths[i] =
          NonNegative(RoundHalfEven(static_cast<double>(ColumnWeights[i]) / weightSum * share));
      taken += widths[i];
    }
    widths[n - 1] =
        NonNegative(std::int64_t{host_.GridClientWidth(LayoutGrid::kPlu)} - taken - n + 1);
    host_.SetGridColumnWidths(LayoutGrid::kPlu, widths);
  }

  // Message grid: a third for the number, the rest for the name.
  const std::int32_t first = NonNegative(
      RoundHalfEven((std::int64_t{host_.GridBounds(LayoutGrid::kMessage).width} - 2 -
                     host_.GridScrollBarWidth(LayoutGrid::kMessage)) *
                    kMessageFirstColumnShare));
  const std::int32_t second =
      NonNegative(std::int64_t{host_.GridClientWidth(LayoutGrid::kMessage)} - first - 1);
  host_.SetGridColumnWidths(LayoutGrid::kMessage, {first, second});
}

Size FontLayout::ResizeRequest(Size requested) {
  if (state_.FontApplying) return requested;
  requested.width = std::max(requested.width, state_.MinFormWidth);
  requested.height = std::max(requested.height, state_.MinFormHeight);

  const std::int64_t dW = std::int64_t{requested.width} - state_.LayoutWidth;
  const std::int64_t dH = std::int64_t{requested.height} - state_.LayoutHeight;
  if (dW != 0 || dH != 0) {
    if (state_.FontScaleV != kFontScaleUnit || state_.FontScaleH != kFontScaleUnit) {
      resizedAwayFromDesign_ = true;
    }
    Bounds plu = host_.GridBounds(LayoutGrid::kPlu);
    plu.width = NonNegative(plu.width + dW);
    plu.height = NonNegative(plu.height + dH);
    host_.SetGridBounds(LayoutGrid::kPlu, plu);
    Bounds messages = host_.GridBounds(LayoutGrid::kMessage);
    messages.width = NonNegative(messages.width + dW);
    host_.SetGridBounds(LayoutGrid::kMessage, messages);
  }
  state_.LayoutWidth = requested.width;
  state_.LayoutHeight = requested.height;
  FitGridColumns();
  return requested;
}

void FontLayout::RegisterResizers() {
  resizers_.clear();
  for (const auto& page : host_.Pages()) {
    if (page && page->Alive()) AddResizersBelow(*page);
  }
  for (const auto& panel : host_.DisplayPanels()) {
    if (panel) resizers_.emplace_back(panel);
  }
}

void FontLayout::AddResizersBelow(const LayoutControl& container) {
  const auto children = container.Children();
  for (const auto& child : children) {
    if (child) resizers_.emplace_back(child);
  }
  for (const auto& child : children) {
    if (child && child->Alive()) AddResizersBelow(*child);
  }
}

void FontLayout::ApplySavedSize(std::int32_t savedWidth, std::int32_t savedHeight) {
  Size accepted = ResizeRequest({savedWidth, host_.WindowSize().height});
  host_.SetWindowSize(accepted);
  accepted = ResizeRequest({host_.WindowSize().width, savedHeight});
  host_.SetWindowSize(accepted);
}

}  // namespace qm
