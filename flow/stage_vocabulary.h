#pragma once
// Names of the values of the stage and block settings, one list per setting
// kind. The index of a label is the stored value it names (g_PassFactionNames
// is offset by one: index 0 is -1, no faction). Every list ends with an empty
// string. The two "OFF"/"ON" lists are read by the status descriptors of the
// flow commands; nothing else in play reads these lists.

#include <string>

extern const std::string g_OnOffNames[3];
extern const std::string g_PaletteNames[3];
extern const std::string g_LinkSrcNames[4];
extern const std::string g_LinkSrcCommonNames[3];
extern const std::string g_LinkSrcStageNames[3];
extern const std::string g_LinkSrcNoneNames[2];
extern const std::string g_GraphicKindNames[6];
extern const std::string g_GraphicKindNames2[6];
extern const std::string g_OnOffNames2[3];
extern const std::string g_ShowNames[4];
extern const std::string g_HitKindNames[4];
extern const std::string g_PassFactionNames[10];
extern const std::string g_BlockEffectNames[7];
extern const std::string g_ItemSrcNames[4];
extern const std::string g_ItemSrcCommonNames[3];
extern const std::string g_ScrollModeNames[3];
extern const std::string g_ExtendXNames[3];
extern const std::string g_ExtendYNames[3];
// Collision levels 1..19 at index 0..18; level 20 has no label.
extern const std::string g_CollisionLevelNames[20];
extern const std::string g_HitStepNames[7];
extern const std::string g_BoxAlignNames[3];
extern const std::string g_BoxAlignNames2[3];
extern const std::string g_BoxShowNames[4];
extern const std::string g_BoxColourNames[9];
extern const std::string g_DirectionNames[3];
