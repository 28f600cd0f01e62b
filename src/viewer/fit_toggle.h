// "Toggle Fit Image": which fit options the image box gets next.
#pragma once

#include <cstdint>

#include "render/convert.h"

namespace pictara {

struct TFitOptions {
  bool FitOnlyBig = true;
  bool FitToWindow = true;
  friend bool operator==(const TFitOptions&, const TFitOptions&) = default;
};

// From a mixed state (one option on) back to fit-big-only. Otherwise by the scale shown: at 100 %
// or more a small picture is stretched to the window and a large one fitted; below 100 % (a large
// picture shown reduced) it goes to natural size with scroll bars, unless it is smaller than the
// window in both directions, which fits it. `client` is the image box's client size.
TFitOptions FitToggle(TFitOptions current, int32_t scale, Size picture, Size client);

}  // namespace pictara
