#pragma once
// Builders of the flow records the sample's characters carry: key
// conditions, commands and whole flows. The test worlds build their heroes
// with the same pieces.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "flow/flow.h"

class cEdChara;

// A key condition over the given key lists, each pressed, of any length;
// nMode as the record stores it.
cKeyCondition Keys(std::initializer_list<int> lists, int8_t nMode);
// A character command of the given type and use time, its parameters in
// their normal form.
cFlowCommand Command(int nType, int16_t nUseTime);
// ステータスの操作, parallel: common (VARKIND_COMMON) or stage variable
// (VARKIND_STAGE) nIndex gains 1.
enum : int { VARKIND_COMMON = 0, VARKIND_STAGE = 1 };
cFlowCommand CountVariable(int nKind, int nIndex);
// Walks straight in a direction at 3 pixels a frame.
cFlowCommand Walk(int nDirection);
// A walker's flows that pace its ground at a pixel a frame (地上折り返し
// 移動), turning at its ends and away from a wall it runs into.
void AddPacerFlows(cEdChara& chara);
// A lift's flows: right for nTenths tenths of a second at nSpeed tenths of
// a pixel a frame, then left as long, and over again.
void AddLiftFlows(cEdChara& chara, int16_t nTenths, int16_t nSpeed);
// A flow of the given trigger, key conditions and commands.
cFlow Flow(int8_t nTrigger, std::vector<cKeyCondition> keys, std::vector<cFlowCommand> commands,
           uint8_t bKeyLevel = 0);
// An item command (ステータスの操作) that adds nValue to status nStatus of
// object nObject (0 the hero, 2 the system: its status 3 is the score).
cFlowCommand ItemAddStatus(int nObject, int nStatus, int nValue);
