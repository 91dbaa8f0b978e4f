#include "app/core/surface_tables.h"

#include <array>
#include <cstdio>

DDSURFACEDATA g_SurfaceTable[kSurfaceCount];
DDSURFACEINFO g_SurfaceInfoTable[kSurfaceCount];
FONTINFO g_FontTable[kFontCount];
Font g_Fonts[kFontCount];
DDSURFACEDATA g_FontWorkSD[kFontCount];
DDSURFACEINFO g_FontWorkInfo[kFontCount];

cSurfaceVector g_SceneSD;
cCheckedVector<DDSURFACEINFO> g_SceneSDInfo;
cSurfaceVector g_CharaExcSD;
cCheckedVector<DDSURFACEINFO> g_CharaExcSDInfo;
cSurfaceVector g_SwordSD;
cCheckedVector<DDSURFACEINFO> g_SwordSDInfo;
cSurfaceVector g_EffectSD;
cCheckedVector<DDSURFACEINFO> g_EffectSDInfo;
cCheckedList<DDSURFACEDATA> Off_Msg;
cCheckedList<DDSURFACEINFO> Off_MsgInfo;

namespace {

// One row of the table: values not given are 0, parent -1 means none.
struct SURFACEROW {
  const char* pszFile;
  int bColorKey;
  int nDDMemory;
  int nDTMemory = 0;
  int bVariant = 0;
  int bOptional = 0;
  int nMirrorWidth = 0;
  int nWorkWidth = 0, nWorkHeight = 0;
  int nParent = -1;
};

// The character sheets 4..19 (plain and mirrored, first copy set) and 22..37
// (the second copy set, variants of the first), and the background slots.
constexpr const char* kCharacter[8] = {
    "bmp\\Character1.bmp", "bmp\\Character2.bmp", "bmp\\Character3.bmp", "bmp\\Character4.bmp",
    "bmp\\Character5.bmp", "bmp\\Character6.bmp", "bmp\\Character7.bmp", "bmp\\Character8.bmp"};
constexpr const char* kBackground[8] = {"背景その1.bmp", "背景その2.bmp", "背景その3.bmp",
                                        "背景その4.bmp", "背景その5.bmp", "背景その6.bmp",
                                        "背景その7.bmp", "背景その8.bmp"};

constexpr SURFACEROW Row(int n) {
  if (n >= 4 && n <= 19) {
    const bool bMirror = (n % 2) == 1;
    const int nSheet = (n - 4) / 2;
    return SURFACEROW{.pszFile = kCharacter[nSheet],
                      .bColorKey = 1,
                      .nDDMemory = 0,
                      .bVariant = bMirror,
                      .bOptional = nSheet != 0,
                      .nMirrorWidth = bMirror ? 32 : 0,
                      .nParent = bMirror ? n - 1 : -1};
  }
  if (n >= 22 && n <= 37) {
    const bool bMirror = (n % 2) == 1;
    const int nSheet = (n - 22) / 2;
    return SURFACEROW{.pszFile = kCharacter[nSheet],
                      .bColorKey = 1,
                      .nDDMemory = 1,
                      .bVariant = 1,
                      .bOptional = nSheet != 0,
                      .nMirrorWidth = bMirror ? 32 : 0,
                      .nParent = bMirror ? n - 19 : n - 18};
  }
  if (n >= 55 && n <= 62)
    return SURFACEROW{
        .pszFile = kBackground[n - 55], .bColorKey = 1, .nDDMemory = 0, .bOptional = 1};
  switch (n) {
    case 0:
      return {"bmp\\plt\\Palette.bmp", 0, 1};
    case 1:
      return {"bmp\\Debug.bmp", 1, 0};
    case 2:
      return {"bmp\\Block.bmp", 1, 0};
    case 3:
      return {
          .pszFile = "bmp\\Block.bmp", .bColorKey = 1, .nDDMemory = 1, .bVariant = 1, .nParent = 2};
    case 20:
      return {"bmp\\Shot.bmp", 1, 0};
    case 21:
      return {.pszFile = "bmp\\Shot.bmp",
              .bColorKey = 1,
              .nDDMemory = 0,
              .bVariant = 1,
              .nMirrorWidth = 16,
              .nParent = 20};
    case 38:
      return {
          .pszFile = "bmp\\Shot.bmp", .bColorKey = 1, .nDDMemory = 1, .bVariant = 1, .nParent = 20};
    case 39:
      return {.pszFile = "bmp\\Shot.bmp",
              .bColorKey = 1,
              .nDDMemory = 1,
              .bVariant = 1,
              .nMirrorWidth = 16,
              .nParent = 20};
    case 40:
      return {"bmp\\Item.bmp", 1, 0};
    case 41:
      return {
          .pszFile = "bmp\\Item.bmp", .bColorKey = 1, .nDDMemory = 1, .bVariant = 1, .nParent = 40};
    case 42:
      return {"bmp\\Item_Mini.bmp", 1, 0};
    case 43:
      return {"bmp\\Mark.bmp", 1, 0};
    case 44:
      return {
          .pszFile = "bmp\\Mark.bmp", .bColorKey = 1, .nDDMemory = 1, .bVariant = 1, .nParent = 43};
    case 45:
      return {"bmp\\Window.bmp", 0, 0};
    case 46:
      return {"bmp\\StatusWindow.bmp", 1, 0};
    case 47:
      return {"bmp\\Title.bmp", 0, 0};
    case 48:
      return {.pszFile = "bmp\\GameMode.bmp", .bColorKey = 1, .nDDMemory = 0, .bOptional = 1};
    case 49:
      return {"bmp\\Accessory.bmp", 1, 0};
    case 50:
      return {"bmp\\Symbol.bmp", 1, 0};
    case 51:
      return {"bmp\\Word.bmp", 1, 0};
    case 52:
      return {"bmp\\WorldMapChip.bmp", 1, 0};
    case 53:
      return {"bmp\\WorldEvent.bmp", 1, 1};
    case 54:
      return {.pszFile = "bmp\\WorldBack.bmp", .bColorKey = 0, .nDDMemory = 1, .bOptional = 1};
    case 63:
    case 64:
      return {
          .pszFile = "E", .bColorKey = 1, .nDDMemory = 1, .nWorkWidth = 256, .nWorkHeight = 960};
    case 65:
      return {
          .pszFile = "E", .bColorKey = 1, .nDDMemory = 1, .nWorkWidth = 640, .nWorkHeight = 480};
    case 66:
      return {
          .pszFile = "E", .bColorKey = 0, .nDDMemory = 1, .nWorkWidth = 640, .nWorkHeight = 480};
    case 67:
      return {
          .pszFile = "E", .bColorKey = 1, .nDDMemory = 0, .nWorkWidth = 640, .nWorkHeight = 480};
    case 68:
      return {.pszFile = "E",
              .bColorKey = 1,
              .nDDMemory = 1,
              .bVariant = 1,
              .nWorkWidth = 640,
              .nWorkHeight = 480,
              .nParent = 67};
    case 69:
      return {.pszFile = "E",
              .bColorKey = 1,
              .nDDMemory = 0,
              .nDTMemory = 2,
              .nWorkWidth = 1024,
              .nWorkHeight = 1024};
    case 70:
      return {.pszFile = "E",
              .bColorKey = 1,
              .nDDMemory = 1,
              .nDTMemory = 1,
              .nWorkWidth = 1024,
              .nWorkHeight = 1024};
  }
  return {"", 0, 0};
}

constexpr std::array<int, kSurfaceCount> MakeParents() {
  std::array<int, kSurfaceCount> a{};
  for (int n = 0; n < kSurfaceCount; ++n) a[n] = Row(n).nParent;
  return a;
}

}  // namespace

const std::array<int, kSurfaceCount> g_anSurfaceParent = MakeParents();

void InitSurfaceInfoTable() {
  for (int n = 0; n < kSurfaceCount; ++n) {
    const SURFACEROW r = Row(n);
    SetSurfaceInfo(g_SurfaceInfoTable[n], r.pszFile, r.bColorKey, r.nDDMemory, r.nDTMemory,
                   r.bVariant, 0, r.bOptional, r.nMirrorWidth, 0, r.nWorkWidth, r.nWorkHeight);
  }
}

void InitFontTable() {
  struct FONTSIZE {
    int nHeight, nCell, nCache;
  };
  constexpr FONTSIZE kSizes[kFontCount] = {{9, 10, 2}, {16, 16, 2}, {30, 32, 0}};
  for (int i = 0; i < kFontCount; ++i) {
    FONTINFO& f = g_FontTable[i];
    f = FONTINFO{};
    f.strFace = "ＭＳ ゴシック";
    f.nCharWidth = 0;
    f.nCharHeight = kSizes[i].nHeight;
    f.nCellWidth = kSizes[i].nCell;
    f.nLineHeight = kSizes[i].nCell;
    f.nColorIndex = 241;
    f.nWindowSurface = 45;
    f.nWindowBorder = 1;
    f.nWindowBorderColor = 240;
    f.nGlyphSurface = 50;
    f.nCache = kSizes[i].nCache;
  }
}

void InitFontWorkInfo() {
  for (DDSURFACEINFO& info : g_FontWorkInfo) SetSurfaceInfo(info, "", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

namespace {
const bool g_bTablesFilled = (InitSurfaceInfoTable(), InitFontTable(), InitFontWorkInfo(), true);
}  // namespace

void LinkSurfaceVariants() {
  for (int n = 0; n < kSurfaceCount; ++n)
    g_SurfaceTable[n].lpParentSD =
        g_anSurfaceParent[n] >= 0 ? &g_SurfaceTable[g_anSurfaceParent[n]] : nullptr;
}

void ReleaseFonts() {
  for (Font& font : g_Fonts) font.Release();
  for (DDSURFACEDATA& sd : g_FontWorkSD) DDReleaseSurface(&sd);
}
