#include "viewer/fit_toggle.h"

namespace pictara {

TFitOptions FitToggle(TFitOptions current, int32_t scale, Size picture, Size client) {
  if (current.FitOnlyBig != current.FitToWindow) return {true, true};
  const bool smaller = picture.width < client.width && picture.height < client.height;
  if (scale >= 100) return {!smaller, true};
  return {smaller, smaller};
}

}  // namespace pictara
