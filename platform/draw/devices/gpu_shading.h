#pragma once
// The software device's shading and blending of one pixel, and what a quad's
// states reduce them to. A quad has one diffuse colour and one set of states,
// so the stage and blend configuration is resolved once per quad into a form
// the row loops evaluate without looking at the states again; anything the
// resolved forms do not cover is evaluated per pixel by GpuShade/GpuBlend,
// which define the results the row loops must match bit for bit.

#include <cstdint>

// States are passed as the device keeps them: pStage the GPUSTAGESTATE values
// of stage 0, pRenderStates the GPURENDERSTATE values.

// The texture stage: colour and alpha of one texel under a diffuse colour.
// pStage holds stage 0's GPUSTAGESTATE values; current at stage 0 is the
// diffuse colour.
uint32_t GpuShade(const uint32_t* pStage, uint32_t dwFactor, uint32_t texel, uint32_t diffuse);

// The blend of a shaded colour over an ARGB pixel with the given factors
// (every channel, alpha with the alpha parts of the factors), each product
// rounded, the sum clamped.
uint32_t GpuBlend(uint32_t dwSrcBlend, uint32_t dwDestBlend, uint32_t src, uint32_t dst);

// Shading of a quad. Every channel of the result is a multiple of the
// texel's channel plus a constant:
//   channel = texel channel * mul channel / 255 (rounded) + add channel
// which never exceeds 255 (a constant channel has mul 0; a blend by a
// constant alpha weighs the texel and adds the other argument's share).
// bGeneral: some channel is not of this form (per-pixel GpuShade needed).
struct GPUSHADING {
  bool bGeneral = false;
  bool bUsesTexel = false;  // the result depends on the texel at all
  uint32_t dwMul = 0;
  uint32_t dwAdd = 0;
  // The texel passes through unchanged.
  bool IsIdentity() const { return !bGeneral && dwMul == 0xFFFFFFFFu && dwAdd == 0; }
};
GPUSHADING ResolveGpuShading(const uint32_t* pStage, uint32_t dwFactor, uint32_t diffuse);

// How a quad's shaded colour meets the target.
enum class eGpuBlend {
  kReplace,      // blending off: the colour is written
  kSourceAlpha,  // colour * alpha + pixel * (255 - alpha)
  kGeneral,      // other factors: GpuBlend per pixel
};
eGpuBlend ResolveGpuBlend(const uint32_t* pRenderStates);
