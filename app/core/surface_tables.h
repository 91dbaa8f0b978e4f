#pragma once
// The program's numbered surfaces, its three text fonts and the surface
// lists that scenes and the play scene fill while they run.
//
// The surface table holds 71 numbered surfaces described by
// g_SurfaceInfoTable; scenes name their pictures by these numbers and load
// them in groups (DDLoadSurfaceTable). A "variant" entry draws, under the
// textured back end, through the texture of its parent entry (mirrored when
// it has a mirror cell width); under the surface back end it is a surface of
// its own.

#include <array>

#include "app/base/checked_containers.h"
#include "platform/draw/font/font.h"
#include "platform/draw/surface/dd_surface.h"

inline constexpr int kSurfaceCount = 71;
inline constexpr int kFontCount = 3;

extern DDSURFACEDATA g_SurfaceTable[kSurfaceCount];
extern DDSURFACEINFO g_SurfaceInfoTable[kSurfaceCount];
// The parent entry of each variant, -1 for a surface of its own.
extern const std::array<int, kSurfaceCount> g_anSurfaceParent;

// Font 0 (10-pixel cells), 1 (16-pixel cells: menus, values, boxes) and 2
// (32-pixel cells: headings, stage-select rows), their table and their digit
// strips.
extern FONTINFO g_FontTable[kFontCount];
extern Font g_Fonts[kFontCount];
extern DDSURFACEDATA g_FontWorkSD[kFontCount];
extern DDSURFACEINFO g_FontWorkInfo[kFontCount];

// Surface groups loaded together (DDLoadSurfaceTable).
inline constexpr int kStartupSurfaces[] = {1};
inline constexpr int kTitleSurfaces[] = {47, 48, 49, 45};
inline constexpr int kWorldMapSurfaces[] = {54, 52, 53, 49, 45, 67};
inline constexpr int kGameMenuSurfaces[] = {45, 50, 49};
inline constexpr int kStageSelectSurfaces[] = {49, 45};
inline constexpr int kOptionSurfaces[] = {49, 45};

// The work surfaces of the front-end scenes (menu windows).
extern cSurfaceVector g_SceneSD;
extern cCheckedVector<DDSURFACEINFO> g_SceneSDInfo;
// The play scene's sheets: dedicated character bitmaps, swords, effects.
extern cSurfaceVector g_CharaExcSD;
extern cCheckedVector<DDSURFACEINFO> g_CharaExcSDInfo;
extern cSurfaceVector g_SwordSD;
extern cCheckedVector<DDSURFACEINFO> g_SwordSDInfo;
extern cSurfaceVector g_EffectSD;
extern cCheckedVector<DDSURFACEINFO> g_EffectSDInfo;
// Surfaces of the message windows made while a stage plays, with their
// descriptions. (A picture shown by a flow holds its own surface.)
extern cCheckedList<DDSURFACEDATA> Off_Msg;
extern cCheckedList<DDSURFACEINFO> Off_MsgInfo;

// Fills the three tables above with their entries (they start filled; tests
// that change them put them back with this).
void InitSurfaceInfoTable();
void InitFontTable();
void InitFontWorkInfo();

// Textured back end: points every variant's record at its parent's record.
// Called once after DDInit started the textured back end, before any entry
// is loaded.
void LinkSurfaceVariants();

// Releases the fonts and their digit strips (before the display goes).
void ReleaseFonts();
