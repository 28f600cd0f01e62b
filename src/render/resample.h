// The plug-in's own high-quality scaler for 24-bit and 32-bit bitmaps: two separable passes with
// the Spline16 kernel, weights in 16.16 fixed point. Used for thumbnails and for the smooth paint
// of the image box.
#pragma once

#include <cstdint>
#include <vector>

#include "base/picture.h"

namespace pictara {

// Scales Src into Dst at NewWidth x NewHeight. Src is converted in place to 32 bits when HasAlpha
// (filtered with alpha: colour never exceeds alpha, as premultiplied pixels need) or to 24 bits
// otherwise; Dst gets that pixel format, Src's alpha format and Src's row order. Callers pass
// HasAlpha exactly when Src is 32-bit.
// False when a size is not positive (then neither bitmap is touched), or when converting or
// allocating fails (Dst may then be resized already).
bool ResampleBitmap(Bitmap& Src, Bitmap& Dst, int32_t NewWidth, int32_t NewHeight, bool HasAlpha);

// The same result through the plain C++ loops only (the processor-specific loops are skipped).
// The 32-bit x86 build has no others; tests hold both paths to the same bytes.
bool ResampleBitmapPortable(Bitmap& Src, Bitmap& Dst, int32_t NewWidth, int32_t NewHeight, bool HasAlpha);

// The filter of one axis, exposed for tests: for every destination sample the source indices
// First .. First + Weights.size() - 1 and their weights in 1/65536 (0 where the kernel is 0 inside
// that range). An empty list makes the sample 0.
struct ResampleTaps {
  float Support = 0;
  int32_t MaxTaps = 0;  // room the list has per sample: trunc(2 * support + 2)
  struct Sample {
    int32_t First = 0;
    std::vector<int32_t> Weights;
  };
  std::vector<Sample> Samples;
};
ResampleTaps ComputeResampleTaps(int32_t SrcCount, int32_t DstCount);

}  // namespace pictara
