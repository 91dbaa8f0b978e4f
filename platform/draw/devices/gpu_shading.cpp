#include "platform/draw/devices/gpu_shading.h"

#include <algorithm>

#include "platform/draw/devices/gpu_device.h"
#include "platform/draw/pixels/pixel_rows.h"

namespace {

using pixel_rows_detail::Mul255;

inline uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }

uint32_t ApplyOp(uint32_t op, uint32_t a1, uint32_t a2, uint32_t diffuseAlpha, uint32_t texAlpha,
                 uint32_t factorAlpha) {
  switch (op) {
    case GPUTOP_SELECTARG1:
      return a1;
    case GPUTOP_SELECTARG2:
      return a2;
    case GPUTOP_MODULATE:
      return Mul255(a1, a2);
    case GPUTOP_MODULATE2X:
      return std::min(2 * Mul255(a1, a2), 255u);
    case GPUTOP_MODULATE4X:
      return std::min(4 * Mul255(a1, a2), 255u);
    case GPUTOP_ADD:
      return std::min(a1 + a2, 255u);
    case GPUTOP_ADDSIGNED:
      return static_cast<uint32_t>(std::clamp(static_cast<int>(a1 + a2) - 128, 0, 255));
    case GPUTOP_SUBTRACT:
      return a1 > a2 ? a1 - a2 : 0;
    case GPUTOP_BLENDDIFFUSEALPHA:
      return Mul255(a1, diffuseAlpha) + Mul255(a2, 255 - diffuseAlpha);
    case GPUTOP_BLENDTEXTUREALPHA:
      return Mul255(a1, texAlpha) + Mul255(a2, 255 - texAlpha);
    case GPUTOP_BLENDFACTORALPHA:
      return Mul255(a1, factorAlpha) + Mul255(a2, 255 - factorAlpha);
    default:
      return a1;
  }
}

// Which arguments ApplyOp reads: bit 0 the first, bit 1 the second.
int ArgsRead(uint32_t op) {
  switch (op) {
    case GPUTOP_DISABLE:
      return 0;
    case GPUTOP_SELECTARG2:
      return 2;
    case GPUTOP_MODULATE:
    case GPUTOP_MODULATE2X:
    case GPUTOP_MODULATE4X:
    case GPUTOP_ADD:
    case GPUTOP_ADDSIGNED:
    case GPUTOP_SUBTRACT:
    case GPUTOP_BLENDDIFFUSEALPHA:
    case GPUTOP_BLENDTEXTUREALPHA:
    case GPUTOP_BLENDFACTORALPHA:
      return 3;
    default:
      return 1;  // select the first, and what ApplyOp does for unknown operations
  }
}

inline uint32_t BlendFactor(uint32_t mode, uint32_t srcC, uint32_t srcA, uint32_t dstC,
                            uint32_t dstA) {
  switch (mode) {
    case GPUBLEND_ZERO:
      return 0;
    case GPUBLEND_ONE:
      return 255;
    case GPUBLEND_SRCCOLOR:
      return srcC;
    case GPUBLEND_INVSRCCOLOR:
      return 255 - srcC;
    case GPUBLEND_SRCALPHA:
      return srcA;
    case GPUBLEND_INVSRCALPHA:
      return 255 - srcA;
    case GPUBLEND_DESTALPHA:
      return dstA;
    case GPUBLEND_INVDESTALPHA:
      return 255 - dstA;
    case GPUBLEND_DESTCOLOR:
      return dstC;
    case GPUBLEND_INVDESTCOLOR:
      return 255 - dstC;
    default:
      return 255;
  }
}

inline uint32_t ArgValue(uint32_t arg, uint32_t texel, uint32_t factor, uint32_t diffuse) {
  switch (arg & 0xF) {
    case GPUTA_TEXTURE:
      return texel;
    case GPUTA_TFACTOR:
      return factor;
    default:
      return diffuse;  // diffuse and, at stage 0, current
  }
}

// One operation (colour or alpha) of the stage reduced to the shading form.
struct OPFORM {
  bool bTexel = false;    // depends on the texel
  bool bGeneral = false;  // and not as a multiple of it plus a constant
  uint32_t dwMul = 0;     // the multiplier of each channel when bTexel && !bGeneral
};

OPFORM ResolveOp(uint32_t op, uint32_t arg1, uint32_t arg2, uint32_t factor, uint32_t diffuse) {
  OPFORM form;
  const bool t1 = (arg1 & 0xF) == GPUTA_TEXTURE, t2 = (arg2 & 0xF) == GPUTA_TEXTURE;
  const int nRead = ArgsRead(op);
  form.bTexel = ((nRead & 1) && t1) || ((nRead & 2) && t2) || op == GPUTOP_BLENDTEXTUREALPHA;
  if (!form.bTexel) return form;
  // A blend by a constant alpha weighs the texel by that alpha (or its
  // complement) and adds the other argument's share, a constant.
  auto blendWeight = [&](uint32_t a) { return (t1 ? a : 255 - a) * 0x01010101u; };
  if (nRead == 1 || nRead == 2) {  // the texel selected as it is
    form.dwMul = 0xFFFFFFFFu;
  } else if (op == GPUTOP_MODULATE && t1 != t2) {
    form.dwMul = ArgValue(t1 ? arg2 : arg1, 0, factor, diffuse);
  } else if (op == GPUTOP_BLENDFACTORALPHA && t1 != t2) {
    form.dwMul = blendWeight(factor >> 24);
  } else if (op == GPUTOP_BLENDDIFFUSEALPHA && t1 != t2) {
    form.dwMul = blendWeight(diffuse >> 24);
  } else {
    form.bGeneral = true;
  }
  return form;
}

}  // namespace

uint32_t GpuShade(const uint32_t* st, uint32_t factor, uint32_t texel, uint32_t diffuse) {
  auto arg = [&](uint32_t a) { return ArgValue(a, texel, factor, diffuse); };
  const uint32_t c1 = arg(st[GPUTSS_COLORARG1]), c2 = arg(st[GPUTSS_COLORARG2]);
  const uint32_t a1 = arg(st[GPUTSS_ALPHAARG1]), a2 = arg(st[GPUTSS_ALPHAARG2]);
  const uint32_t dA = diffuse >> 24, tA = texel >> 24, fA = factor >> 24;
  uint32_t out = 0;
  const uint32_t cop = st[GPUTSS_COLOROP];
  if (cop == GPUTOP_DISABLE) {
    out = diffuse & 0xFFFFFF;
  } else {
    for (int s = 0; s < 24; s += 8)
      out |= std::min(ApplyOp(cop, Channel(c1, s), Channel(c2, s), dA, tA, fA), 255u) << s;
  }
  const uint32_t aop = st[GPUTSS_ALPHAOP];
  const uint32_t alpha =
      aop == GPUTOP_DISABLE ? dA : std::min(ApplyOp(aop, a1 >> 24, a2 >> 24, dA, tA, fA), 255u);
  return out | alpha << 24;
}

uint32_t GpuBlend(uint32_t sb, uint32_t db, uint32_t src, uint32_t dst) {
  const uint32_t sA = src >> 24, dA = dst >> 24;
  uint32_t out = 0;
  for (int s = 0; s < 24; s += 8) {
    const uint32_t sc = Channel(src, s), dc = Channel(dst, s);
    const uint32_t fs = BlendFactor(sb, sc, sA, dc, dA), fd = BlendFactor(db, sc, sA, dc, dA);
    out |= std::min(Mul255(sc, fs) + Mul255(dc, fd), 255u) << s;
  }
  // Alpha blends with the alpha parts of the factors.
  const uint32_t fs = BlendFactor(sb, sA, sA, dA, dA), fd = BlendFactor(db, sA, sA, dA, dA);
  return out | std::min(Mul255(sA, fs) + Mul255(dA, fd), 255u) << 24;
}

GPUSHADING ResolveGpuShading(const uint32_t* st, uint32_t factor, uint32_t diffuse) {
  const OPFORM colour = st[GPUTSS_COLOROP] == GPUTOP_DISABLE
                            ? OPFORM()
                            : ResolveOp(st[GPUTSS_COLOROP], st[GPUTSS_COLORARG1],
                                        st[GPUTSS_COLORARG2], factor, diffuse);
  const OPFORM alpha = st[GPUTSS_ALPHAOP] == GPUTOP_DISABLE
                           ? OPFORM()
                           : ResolveOp(st[GPUTSS_ALPHAOP], st[GPUTSS_ALPHAARG1],
                                       st[GPUTSS_ALPHAARG2], factor, diffuse);
  GPUSHADING shading;
  shading.bUsesTexel = colour.bTexel || alpha.bTexel;
  shading.bGeneral = colour.bGeneral || alpha.bGeneral;
  if (shading.bGeneral) return shading;
  // Channels that do not depend on the texel are what any texel gives them.
  const uint32_t dwTexelMask =
      (colour.bTexel ? 0x00FFFFFFu : 0u) | (alpha.bTexel ? 0xFF000000u : 0u);
  shading.dwMul = (colour.dwMul & 0x00FFFFFFu & dwTexelMask) | (alpha.dwMul & 0xFF000000u);
  // What a texel of 0 gives: the constants of the channels that do not
  // depend on the texel and the added shares of those that do.
  shading.dwAdd = GpuShade(st, factor, 0, diffuse);
  return shading;
}

eGpuBlend ResolveGpuBlend(const uint32_t* rs) {
  if (!rs[GPURS_ALPHABLENDENABLE]) return eGpuBlend::kReplace;
  if (rs[GPURS_SRCBLEND] == GPUBLEND_SRCALPHA && rs[GPURS_DESTBLEND] == GPUBLEND_INVSRCALPHA)
    return eGpuBlend::kSourceAlpha;
  return eGpuBlend::kGeneral;
}
