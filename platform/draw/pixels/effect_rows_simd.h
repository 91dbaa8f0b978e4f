// The vector loops of effect_rows.h over a vector type V (V128 or V256),
// included by effect_rows.cpp once per instruction set inside a namespace of
// its own (so it has no include guard). V gives kLanes 32-bit pixels per
// vector and the operations below; the pixels after the last whole vector go
// through the per-pixel forms of effect_rows.cpp.

// The key of the source pixels, as vector lanes (all ones where the key
// leaves the pixel out) and as one pixel.
struct KeyNone {
  static constexpr bool kAny = false;
  V Transparent(V) const { return V::Zero(); }
  bool Is(uint32_t) const { return false; }
};
struct KeyAlpha0 {
  static constexpr bool kAny = true;
  V Transparent(V p) const { return V::CmpEq32(p.template Srli32<24>(), V::Zero()); }
  bool Is(uint32_t p) const { return (p >> 24) == 0; }
};
struct KeyValue {
  static constexpr bool kAny = true;
  uint32_t dwKey;
  V Transparent(V p) const { return V::CmpEq32(p, V::Set1(dwKey)); }
  bool Is(uint32_t p) const { return p == dwKey; }
};

// floor((a + b) / 2) per byte (v7F: 0x7F in every byte).
inline V HalveBytes(V a, V b, V v7F) { return (a & b).Add32(((a ^ b).template Srli32<1>()) & v7F); }

// Where the key leaves the source out, the target pixel t stays.
template <class KEY>
inline V Kept(const KEY& key, V p, V r, V t) {
  if constexpr (KEY::kAny) return V::Select(key.Transparent(p), r, t);
  return r;
}

template <class KEY>
void TintHalving(uint32_t* d, const uint32_t* s, int n, uint32_t c, int nSteps, uint32_t dwKeep,
                 uint32_t dwSet, const KEY& key) {
  const V vc = V::Set1(c), vKeep = V::Set1(dwKeep), vSet = V::Set1(dwSet);
  const V v7F = V::Set1(0x7F7F7F7Fu);
  int k = 0;
  for (; k + V::kLanes <= n; k += V::kLanes) {
    const V p = V::Load(s + k), t = V::Load(d + k);
    V v = p;
    for (int i = 0; i < nSteps; ++i) v = HalveBytes(v, vc, v7F);
    Kept(key, p, V::AndNot(vKeep, v) | (vKeep & t) | vSet, t).Store(d + k);
  }
  for (; k < n; ++k)
    if (!key.Is(s[k])) d[k] = TintHalvingPixel(d[k], s[k], c, nSteps, dwKeep, dwSet);
}

template <class KEY>
void TintWeighted(uint32_t* d, const uint32_t* s, int n, uint32_t c, uint32_t f, const KEY& key) {
  const uint32_t nInv = 255 - f;
  // The colour's share in the 16-bit lanes of a pixel (blue, green, red,
  // alpha; alpha is set afterwards).
  const V vTerm = V::Set1_64(static_cast<uint64_t>((c & 0xFF) * nInv) |
                             static_cast<uint64_t>((c >> 8 & 0xFF) * nInv) << 16 |
                             static_cast<uint64_t>((c >> 16 & 0xFF) * nInv) << 32);
  const V vf = V::Set1_16(static_cast<uint16_t>(f)), vOne = V::Set1_16(1);
  const V vAlpha = V::Set1(0xFF000000u), zero = V::Zero();
  int k = 0;
  for (; k + V::kLanes <= n; k += V::kLanes) {
    const V p = V::Load(s + k);
    V half[2] = {V::UnpackLo8(p, zero), V::UnpackHi8(p, zero)};
    for (V& x : half) {
      const V w = V::MulLo16(x, vf).Add16(vTerm);
      x = w.Add16(vOne).Add16(w.template Srli16<8>()).template Srli16<8>();
    }
    const V r = V::PackUS16(half[0], half[1]) | vAlpha;
    if constexpr (KEY::kAny)
      Kept(key, p, r, V::Load(d + k)).Store(d + k);
    else
      r.Store(d + k);
  }
  for (; k < n; ++k)
    if (!key.Is(s[k])) d[k] = TintWeightedPixel(s[k], c, f);
}

template <class KEY>
void Half(uint32_t* d, const uint32_t* s, int n, uint32_t dwKeep, uint32_t dwSet, bool bTargetKey,
          uint32_t dwTargetKey, const KEY& key) {
  const V vKeep = V::Set1(dwKeep), vSet = V::Set1(dwSet), vTargetKey = V::Set1(dwTargetKey);
  const V v7F = V::Set1(0x7F7F7F7Fu);
  int k = 0;
  for (; k + V::kLanes <= n; k += V::kLanes) {
    const V p = V::Load(s + k), t = V::Load(d + k);
    V h = HalveBytes(p, t, v7F);
    if (bTargetKey) h = V::Select(V::CmpEq32(t, vTargetKey), h, p);
    Kept(key, p, V::AndNot(vKeep, h) | (vKeep & t) | vSet, t).Store(d + k);
  }
  for (; k < n; ++k)
    if (!key.Is(s[k])) d[k] = HalfPixel(d[k], s[k], dwKeep, dwSet, bTargetKey, dwTargetKey);
}

template <class KEY>
void Columns16(uint16_t* sums, const uint32_t* s, int n, const KEY& key, bool bAdd) {
  const V vColour = V::Set1(0x00FFFFFFu), vCount = V::Set1(0x01000000u), zero = V::Zero();
  constexpr int kHalf = V::kLanes / 2;  // pixels of one vector of 16-bit lanes
  int k = 0;
  for (; k + V::kLanes <= n; k += V::kLanes) {
    const V p = V::Load(s + k);
    // Byte 3 becomes the count; a left-out pixel becomes 0.
    V v = (p & vColour) | vCount;
    if constexpr (KEY::kAny) v = V::AndNot(key.Transparent(p), v);
    V first, second;
    V::Natural16(V::UnpackLo8(v, zero), V::UnpackHi8(v, zero), &first, &second);
    uint16_t* q = sums + 4 * k;
    if (bAdd) {
      first = V::Load(q).Add16(first);
      second = V::Load(q + 4 * kHalf).Add16(second);
    }
    first.Store(q);
    second.Store(q + 4 * kHalf);
  }
  for (; k < n; ++k) AccumulatePixel16(sums + 4 * k, s[k], !key.Is(s[k]), bAdd);
}

template <class KEY>
void Select(uint32_t* d, const uint32_t* colours, const uint32_t* s, int n, const KEY& key) {
  int k = 0;
  for (; k + V::kLanes <= n; k += V::kLanes)
    Kept(key, V::Load(s + k), V::Load(colours + k), V::Load(d + k)).Store(d + k);
  for (; k < n; ++k)
    if (!key.Is(s[k])) d[k] = colours[k];
}

// The entries: one loop per kind of key.
#define EFFECT_ROWS_BY_KEY(call)   \
  switch (key.kind) {              \
    case PIXELKEY::kAlpha0:        \
      call(KeyAlpha0());           \
      break;                       \
    case PIXELKEY::kValue:         \
      call(KeyValue{key.dwValue}); \
      break;                       \
    default:                       \
      call(KeyNone());             \
      break;                       \
  }

inline void TintHalvingRow32(uint32_t* d, const uint32_t* s, int n, uint32_t c, int nSteps,
                             uint32_t dwKeep, uint32_t dwSet, const PIXELKEY& key) {
#define EFFECT_CALL(k) TintHalving(d, s, n, c, nSteps, dwKeep, dwSet, k)
  EFFECT_ROWS_BY_KEY(EFFECT_CALL)
#undef EFFECT_CALL
}

inline void TintWeightedRow32(uint32_t* d, const uint32_t* s, int n, uint32_t c, uint32_t f,
                              const PIXELKEY& key) {
#define EFFECT_CALL(k) TintWeighted(d, s, n, c, f, k)
  EFFECT_ROWS_BY_KEY(EFFECT_CALL)
#undef EFFECT_CALL
}

inline void HalfRow32(uint32_t* d, const uint32_t* s, int n, uint32_t dwKeep, uint32_t dwSet,
                      bool bTargetKey, uint32_t dwTargetKey, const PIXELKEY& key) {
#define EFFECT_CALL(k) Half(d, s, n, dwKeep, dwSet, bTargetKey, dwTargetKey, k)
  EFFECT_ROWS_BY_KEY(EFFECT_CALL)
#undef EFFECT_CALL
}

inline void AccumulateColumns16(uint16_t* sums, const uint32_t* s, int n, const PIXELKEY& key,
                                bool bAdd) {
#define EFFECT_CALL(k) Columns16(sums, s, n, k, bAdd)
  EFFECT_ROWS_BY_KEY(EFFECT_CALL)
#undef EFFECT_CALL
}

inline void SelectRow32(uint32_t* d, const uint32_t* colours, const uint32_t* s, int n,
                        const PIXELKEY& key) {
#define EFFECT_CALL(k) Select(d, colours, s, n, k)
  EFFECT_ROWS_BY_KEY(EFFECT_CALL)
#undef EFFECT_CALL
}

#undef EFFECT_ROWS_BY_KEY
