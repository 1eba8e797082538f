#include "app/contrast.h"

#include <algorithm>
#include <cmath>

namespace app {
namespace {

double Linear(int channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// `colour` mixed with `target` by `t` (0: colour, 1: target).
QColor Mix(const QColor& colour, const QColor& target, double t) {
  const auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
  return {mix(colour.red(), target.red()), mix(colour.green(), target.green()),
          mix(colour.blue(), target.blue())};
}

}  // namespace

double RelativeLuminance(const QColor& colour) {
  return 0.2126 * Linear(colour.red()) + 0.7152 * Linear(colour.green()) +
         0.0722 * Linear(colour.blue());
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& text, const QColor& background, double minimum) {
  if (ContrastRatio(text, background) >= minimum) return text;
  // Toward whichever end of the scale has the more room on this background.
  const QColor target = ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background)
                            ? QColor(Qt::black)
                            : QColor(Qt::white);
  // The contrast grows with t; 64 halvings find the first t that has it.
  double low = 0.0;
  double high = 1.0;
  for (int i = 0; i < 64 && high - low > 1e-4; ++i) {
    const double mid = (low + high) / 2;
    if (ContrastRatio(Mix(text, target, mid), background) >= minimum) {
      high = mid;
    } else {
      low = mid;
    }
  }
  // Rounding to whole channels may lose a little: step on until it holds.
  QColor shown = Mix(text, target, high);
  for (double t = high; ContrastRatio(shown, background) < minimum && t < 1.0;) {
    t = std::min(1.0, t + 1.0 / 255);
    shown = Mix(text, target, t);
  }
  return shown;
}

}  // namespace app
