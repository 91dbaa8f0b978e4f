#pragma once
// Vertex and index buffers for runs of textured or filled quads (the sprite
// batch and the fill batch), kept from one run and one frame to the next and
// only grown, so that drawing a run makes no allocation once the longest run
// has been seen.

#include "platform/draw/devices/gpu_device.h"

// Quads a run may hold: four 16-bit indices a quad.
inline constexpr int kMaxQuadRun = 16384;

// A vertex buffer with room for at least nQuads quads (1 to kMaxQuadRun);
// null, with "CreateVertexBuffer Err" reported, when none can be made.
cGpuVertexBuffer* QuadRunVertexBuffer(int nQuads);
// An index buffer holding 0, 1, 2, ... for at least nQuads quads; null, with
// "CreateIndexBuffer Err" reported, when none can be made.
cGpuIndexBuffer* QuadRunIndexBuffer(int nQuads);
// Lets both buffers go (when the device goes, and in tests).
void ReleaseQuadRunBuffers();
