#pragma once
// The stage data every part of the program reads: the stage being played,
// the copy of its settings taken when it was loaded, and the common palette.

#include "app/base/checked_containers.h"
#include "stagedata/block.h"
#include "stagedata/common_palette.h"
#include "stagedata/stage.h"
#include "stagedata/stage_refs.h"

class cDatabase;

extern cEdStage g_Stage;       // the stage being played
extern cEdStage g_StageStart;  // its settings as loaded (no palettes, no placements)
extern cCommonPalette g_CommonPalette;
// The running map: one cell per map cell including the 10-cell border, rows
// of a power-of-two pitch; the play scene builds it from the placed blocks.
extern cCheckedVector<cMapCell> g_MapCells;

// The refs of the running program: g_Database, g_CommonPalette and g_Stage.
cStageRefs MakeProjectRefs();

// The item definition of an item reference in the running program's
// palettes (source 1 common, 2 the stage's); null when there is none.
const cEdItem* GetItemDef(int nSource, int nIndex);

// Loads a common palette file (start-up passes its data-path entry,
// "data\CommonPalette.cplt4") into g_CommonPalette against g_Database.
// 0 when it cannot be read whole (the fault is in the report log); start-up
// then shows its own message.
int LoadCommonPalette(const char* pszPath);

// Puts g_Stage, g_StageStart, g_CommonPalette and g_MapCells back to their
// constructed state (tests, fuzz targets).
void ResetStageGlobals();
