#include "app/core/colour_animation.h"

#include <string>

#include "app/base/format.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "app/core/shell_state.h"
#include "app/core/surface_tables.h"
#include "platform/draw/dd_blend.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_fade.h"
#include "platform/draw/surface/dd_image.h"
#include "records/system.h"

ANIMATEDCOLOUR g_AnimatedColours[kAnimatedColourCount];

namespace {

struct ANIMSTATE {
  int anValue[kAnimatedColourCount] = {};
  int anDirection[kAnimatedColourCount] = {};
  int nCycle = 0;        // entry 8: 0 red, 1 green, 2 blue, 3 yellow
  int nRotateCount = 0;  // 8-bit rotation: every sixth call
};
ANIMSTATE g_anim;

uint32_t Argb(int r, int g, int b) {
  return 0xFF000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
         static_cast<uint32_t>(b);
}

// Entries 0..7: the colour of channel value v, and the colour operation.
ANIMATEDCOLOUR FixedColour(int k, int v) {
  switch (k) {
    case 0:
      return {Argb(v, v, v), 7};
    case 1:
      return {Argb(v, v, v), 10};
    case 2:
      return {Argb(v, 0, 0), 7};
    case 3:
      return {Argb(0, v, 0), 7};
    case 4:
      return {Argb(0, 0, v), 7};
    case 5:
      return {Argb(v, v, 0), 7};
    case 6:
      return {Argb(v, 0, v / 4), 7};
    default:
      return {Argb(v / 4, 0, v), 7};
  }
}

uint32_t CycleColour(int nCycle, int v) {
  switch (nCycle) {
    case 0:
      return Argb(v, 0, 0);
    case 1:
      return Argb(0, v, 0);
    case 2:
      return Argb(0, 0, v);
    default:
      return Argb(v, v, 0);
  }
}

}  // namespace

int PingPong(int& nValue, int& nDirection, int nStep, int nMin, int nMax) {
  const int nOld = nValue;
  if (nDirection == 0) {
    nValue += nStep;
    if (nValue >= nMax) {
      nValue = nOld;
      nDirection = 1;
    }
    return 0;
  }
  nValue -= nStep;
  if (nValue <= nMin) {
    nValue = nOld;
    nDirection = 0;
    return 1;
  }
  return 0;
}

void AnimateColours() {
  if (lpDTCon != nullptr) {
    const int nStep = g_System.m_nColourStep;
    for (int k = 0; k < 8; ++k) {
      const int v = g_anim.anValue[k];
      PingPong(g_anim.anValue[k], g_anim.anDirection[k], nStep, 0, 255);
      g_AnimatedColours[k] = FixedColour(k, v);
    }
    const uint32_t dwCycle = CycleColour(g_anim.nCycle, g_anim.anValue[8]);
    if (PingPong(g_anim.anValue[8], g_anim.anDirection[8], nStep, 0, 255) != 0)
      g_anim.nCycle = (g_anim.nCycle + 1) % 4;
    g_AnimatedColours[8] = {dwCycle, 7};
    return;
  }
  if (!g_bDDInitialized || g_System.m_bColourCycle == 0 || g_nBpp != 8) return;
  if (++g_anim.nRotateCount < 6) return;
  g_anim.nRotateCount = 0;
  for (int nFirst = 208; nFirst < 240; nFirst += 4)
    DDPalRotate(g_PaletteBase, nFirst, nFirst + 3, 1, 1, g_PaletteBase);
  DDShowPaletteEntries(g_PaletteBase, 208, 239);
}

int LoadHbtPalette(int n) {
  if (!g_bDDInitialized || lpDTCon != nullptr || g_nBpp != 8) return 1;
  std::string strFile;
  FormatString(strFile, "bmp\\hbt\\hbt%02d.dat", n);
  if (!DDLoadBlendTable(g_BlendTable, strFile.c_str())) {
    ErrorBoxf("%s の読み込みに失敗！", strFile.c_str());
    return 0;
  }
  if (!DDLoadPaletteFromFile(g_Palette, g_SurfaceInfoTable, g_bWindowed)) {
    TraceLogText("DDLoadPaletteFromFile失敗");
    return 0;
  }
  // Entries 16..207 are twelve blocks of sixteen colours.
  if (n < 12) {
    DDPalRotate(g_Palette, 16, 207, n * 16, 1, g_Palette);
  } else if (const int nSource = (n - 11) * 16; nSource + 16 <= 256) {
    for (int nBlock = 0; nBlock < 12; ++nBlock)
      for (int i = 0; i < 16; ++i) g_Palette[16 + nBlock * 16 + i] = g_Palette[nSource + i];
  } else {
    ReportLog("palette choice %d has no colours; the palette stays in file order", n);
  }
  for (int i = 0; i < 256; ++i) g_PaletteBase[i] = g_Palette[i];
  DDShowPaletteEntries(g_PaletteBase, 0, 254);
  return 1;
}

void ResetColourAnimation() {
  g_anim = ANIMSTATE{};
  for (ANIMATEDCOLOUR& c : g_AnimatedColours) c = ANIMATEDCOLOUR{};
}
