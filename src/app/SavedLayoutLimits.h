// Guards for the font and window size that start-up takes from the settings. The settings are
// not range-tested when read, so a hand-edited or damaged store can name a font of 0 or 500
// points, or a window of 0 or 100000 pixels. The program must still open usable: inside its
// minimum size, on the screen, with a readable font.
//
// Limits chosen:
// - a saved font is used when its size is 6 to 72 points and the window at that font (the design
//   size 640 x 480 scaled by the font's factors, which is also the new minimum size) fits into
//   the screen's available area; otherwise start-up uses the design font instead (and the close
//   then writes the design font back);
// - a saved width or height larger than the available area is cut to it; one smaller than the
//   minimum is raised to the minimum by the resize handling, which wins over the screen;
// - a saved position that puts the window (partly) off the available area is moved just inside
//   it; a window larger than the area goes to its left or top edge.
#pragma once

#include <cstdint>
#include <optional>

#include "app/FontLayout.h"

namespace qm {

inline constexpr std::int32_t kMinSavedFontPoints = 6;
inline constexpr std::int32_t kMaxSavedFontPoints = 72;

// `points` is the saved font's size; `factors` those from the design font to it (nothing when
// they cannot be taken); `available` the size the whole window may have on the screen.
bool SavedFontUsable(std::int32_t points, const std::optional<FontFactors>& factors,
                     Size available);

// Each side of `requested` cut to the available one (never below 0).
Size ClampToAvailable(Size requested, Size available);

// The start of an extent of `length` placed at `start`, moved so that it lies inside the area
// starting at `areaStart` with `areaLength`; an extent longer than the area starts at its start.
std::int32_t KeepInside(std::int32_t start, std::int32_t length, std::int32_t areaStart,
                        std::int32_t areaLength);

}  // namespace qm
