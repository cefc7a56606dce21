#pragma once

// Colours of a chart, 0xRRGGBB.
namespace chartPalette {

inline constexpr int background = 0xFFFFFF;
inline constexpr int text = 0x222222;
inline constexpr int axis = 0x555555;
inline constexpr int gridLine = 0xC0C0C0;

// The colour of the series (or sector) at this position; distinct for the first ten, then
// repeating.
int seriesColour(int index);

// The same hue lighter (factor > 1) or darker (factor < 1), for the faces of 3D shapes.
int shade(int rgb, double factor);

} // namespace chartPalette
