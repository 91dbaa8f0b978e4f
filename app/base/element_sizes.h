#pragma once
// The element sizes that bad-index reports give, in bytes, as the program's
// stored layout has them (not sizeof on this machine). Types not listed
// report their sizeof.

#include <cstdint>
#include <string>
#include <type_traits>

template <class T>
struct ReportedElementSize : std::integral_constant<int, static_cast<int>(sizeof(T))> {};
template <class T>
struct ReportedElementSize<T*> : std::integral_constant<int, 4> {};
template <>
struct ReportedElementSize<std::string> : std::integral_constant<int, 16> {};

#define PLAYER_REPORTED_SIZE(Type, Size) \
  template <>                            \
  struct ReportedElementSize<Type> : std::integral_constant<int, Size> {}

// Classes declared here so that the table stays in one place; each is defined
// by its own subsystem.
class cInputState;
class cPlayer;
class cMapCell;
class cFlow;
class cFlowCommand;
class cCondition;
class cKeyCondition;
class cFlowRunner;
struct COMMANDSTATE;
struct ANIMECUE;
struct EXPRITEM;
struct ANIMESTEP;
class cAnimeSetDef;
class cAnimeDef;
class cAnimeFrame;
class cBmpCharaExcDef;
class cSwordTypeDef;
class cSwordFrame;
class cEffectAnimDef;
class cEffectFrame;
class cCharaEffectDef;
class cScrEffectDef;
class cBgmDef;
class cPictureDef;
class cSoundDef;
struct EFFECTSTEPS;
class cStatusItem;
class cMenuItem;
class cGenreFlags;
class cIniEntry;
class cEdBlock;
class cEdChara;
class cEdItem;
class cEdBgLayer;
class cEdWorldChip;
class cEdWorldEvent;
class cEdWorldEntry;
class cStageClear;
class cStageClearByName;
class cHeroStatus;
class cSaveSlot;
class cRankList;
class cRankEntry;
struct FIELDDESC;
struct STRINGDESC;
struct DDSURFACEDATA;
struct DDSURFACEINFO;
struct SOUNDDATA;
struct SOUNDINFO;
struct MENUCURSOR;
struct ANIMEPLAY;

PLAYER_REPORTED_SIZE(cInputState, 708);
PLAYER_REPORTED_SIZE(cPlayer, 1312);
PLAYER_REPORTED_SIZE(cMapCell, 128);
PLAYER_REPORTED_SIZE(cFlow, 112);
PLAYER_REPORTED_SIZE(cFlowCommand, 116);
PLAYER_REPORTED_SIZE(cCondition, 72);
PLAYER_REPORTED_SIZE(cKeyCondition, 60);
PLAYER_REPORTED_SIZE(cFlowRunner, 112);
PLAYER_REPORTED_SIZE(COMMANDSTATE, 136);
PLAYER_REPORTED_SIZE(ANIMECUE, 16);
PLAYER_REPORTED_SIZE(EXPRITEM, 40);
PLAYER_REPORTED_SIZE(ANIMESTEP, 12);
PLAYER_REPORTED_SIZE(cAnimeSetDef, 80);
PLAYER_REPORTED_SIZE(cAnimeDef, 76);
PLAYER_REPORTED_SIZE(cAnimeFrame, 48);
PLAYER_REPORTED_SIZE(cBmpCharaExcDef, 80);
PLAYER_REPORTED_SIZE(cSwordTypeDef, 104);
PLAYER_REPORTED_SIZE(cSwordFrame, 76);
PLAYER_REPORTED_SIZE(cEffectAnimDef, 100);
PLAYER_REPORTED_SIZE(cEffectFrame, 44);
PLAYER_REPORTED_SIZE(cCharaEffectDef, 76);
PLAYER_REPORTED_SIZE(cScrEffectDef, 76);
PLAYER_REPORTED_SIZE(cBgmDef, 72);
PLAYER_REPORTED_SIZE(cPictureDef, 72);  // the same layout as cBgmDef
PLAYER_REPORTED_SIZE(cSoundDef, 72);
PLAYER_REPORTED_SIZE(EFFECTSTEPS, 56);
PLAYER_REPORTED_SIZE(cStatusItem, 76);
PLAYER_REPORTED_SIZE(cMenuItem, 56);
PLAYER_REPORTED_SIZE(cGenreFlags, 56);
PLAYER_REPORTED_SIZE(cIniEntry, 76);
PLAYER_REPORTED_SIZE(cEdBlock, 124);
PLAYER_REPORTED_SIZE(cEdChara, 200);
PLAYER_REPORTED_SIZE(cEdItem, 132);
PLAYER_REPORTED_SIZE(cEdBgLayer, 112);
PLAYER_REPORTED_SIZE(cEdWorldChip, 80);
PLAYER_REPORTED_SIZE(cEdWorldEvent, 76);
PLAYER_REPORTED_SIZE(cEdWorldEntry, 112);
PLAYER_REPORTED_SIZE(cStageClear, 44);
PLAYER_REPORTED_SIZE(cStageClearByName, 56);
PLAYER_REPORTED_SIZE(cHeroStatus, 256);
PLAYER_REPORTED_SIZE(cSaveSlot, 56);
PLAYER_REPORTED_SIZE(cRankList, 56);
PLAYER_REPORTED_SIZE(cRankEntry, 60);
PLAYER_REPORTED_SIZE(FIELDDESC, 16);
PLAYER_REPORTED_SIZE(STRINGDESC, 8);
PLAYER_REPORTED_SIZE(DDSURFACEDATA, 564);
PLAYER_REPORTED_SIZE(DDSURFACEINFO, 300);
PLAYER_REPORTED_SIZE(SOUNDDATA, 284);
PLAYER_REPORTED_SIZE(SOUNDINFO, 272);
PLAYER_REPORTED_SIZE(MENUCURSOR, 16);
PLAYER_REPORTED_SIZE(ANIMEPLAY, 48);
// Further element types of the table (key events, object lists, dialog
// entries) are added here by the subsystem that defines them.
