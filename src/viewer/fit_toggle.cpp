#include "viewer/fit_toggle.h"

namespace pictara {

TFitOptions FitToggle(TFitOptions current, int32_t scale, TSize picture, TSize client) {
  if (current.FitOnlyBig != current.FitToWindow) return {true, true};
  const bool smaller = picture.Width < client.Width && picture.Height < client.Height;
  if (scale >= 100) return {!smaller, true};
  return {smaller, smaller};
}

}  // namespace pictara
