// A bitmap file, read as every picture of a project is read, then every
// pixel's colour looked up as the surfaces are filled from it.

#include "fuzz/fuzz_support.h"
#include "platform/draw/surface/bmp_file.h"

namespace {
constexpr const char* kPath = "bmp\\fuzz.bmp";
}  // namespace

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  WriteFuzzInput(kPath, lpData, nSize);
  cBmpImage image;
  if (LoadBmpFile(kPath, image) == BmpLoadResult::kOk) {
    uint32_t nMix = 0;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) nMix ^= image.PixelRgb(x, y);
    volatile uint32_t nSink = nMix;
    (void)nSink;
  }
}
