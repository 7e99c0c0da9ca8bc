#include "app/SavedLayoutLimits.h"

#include <algorithm>
#include <cmath>

namespace qm {

bool SavedFontUsable(std::int32_t points, const std::optional<FontFactors>& factors,
                     Size available) {
  if (points < kMinSavedFontPoints || points > kMaxSavedFontPoints) return false;
  if (!factors) return false;
  const double width = std::round(kDesignFormWidth * factors->h);
  const double height = std::round(kDesignFormHeight * factors->v);
  return width <= available.width && height <= available.height;
}

Size ClampToAvailable(Size requested, Size available) {
  return {std::clamp(requested.width, 0, std::max(available.width, 0)),
          std::clamp(requested.height, 0, std::max(available.height, 0))};
}

std::int32_t KeepInside(std::int32_t start, std::int32_t length, std::int32_t areaStart,
                        std::int32_t areaLength) {
  // 64-bit: a start near the ends of the range plus a length must not overflow.
  const std::int64_t lastStart =
      std::max<std::int64_t>(areaStart, std::int64_t{areaStart} + areaLength - length);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(start, areaStart, lastStart));
}

}  // namespace qm
