#pragma once
// Text colours that stay readable on what is behind them. The wizard core
// animates the upgrade page's messages through pale colours and sets red and
// blue on light backgrounds; the window shows each colour the core asks for,
// darkened (or, on a dark background, lightened) just as far as needed to
// keep kMinimumContrast, so the animation still runs and every step reads.

#include <QColor>

namespace app {

// Contrast ratio of normal-size text on its background (1 to 21), as the
// usual accessibility guidelines measure it.
inline constexpr double kMinimumContrast = 4.5;

// Relative luminance of an sRGB colour, 0 (black) to 1 (white).
double RelativeLuminance(const QColor& colour);
// (lighter + 0.05) / (darker + 0.05), 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);
// `text`, kept when it already has `minimum` on `background`, otherwise
// moved toward black (or white, on a dark background) with its hue kept,
// to the first shade that has it.
QColor ReadableOn(const QColor& text, const QColor& background, double minimum = kMinimumContrast);

}  // namespace app
