#pragma once
// The character and system statuses that conditions, status operations and
// expressions read, by their stored index.
//
// Character statuses: 0 a character variable (the caller gives its index),
// 1 hp, 2 sp, 3 mhp, 4 msp, 5 cid, 6 z, 7 mark, 8 sight, 9 power, 10 imp,
// 11 def, 12 impd, 13 stop, 14 getsc (the definition values from the
// character's own copy of its definition). System statuses: 0 time, 1 scrlx,
// 2 scrly, 3 score, 4 life.

#include <cstdint>

#include "stagedata/progress/play_data.h"

class cChara;

enum : int {
  CHARASTATUS_VAR = 0,
  CHARASTATUS_HP = 1,
  CHARASTATUS_SP = 2,
  CHARASTATUS_MAXHP = 3,
  CHARASTATUS_MAXSP = 4,
  CHARASTATUS_CID = 5,
  CHARASTATUS_Z = 6,
  CHARASTATUS_MARK = 7,
  CHARASTATUS_SIGHT = 8,
  CHARASTATUS_POWER = 9,
  CHARASTATUS_IMPACT = 10,
  CHARASTATUS_DEFENCE = 11,
  CHARASTATUS_IMPACTRESIST = 12,
  CHARASTATUS_STOP = 13,
  CHARASTATUS_SCORE = 14,
  CHARASTATUS_COUNT = 15,
};

enum : int {
  SYSSTATUS_TIME = 0,
  SYSSTATUS_SCROLLX = 1,
  SYSSTATUS_SCROLLY = 2,
  SYSSTATUS_SCORE = 3,
  SYSSTATUS_LIFE = 4,
  SYSSTATUS_COUNT = 5,
};

// Status nStatus of the character (nVarIndex names the variable of status
// 0, through the checked accessor). 0 for an index outside the table.
int32_t ReadCharaStatus(const cChara& chara, int nStatus, int nVarIndex);
// System status n as stored; 0 for an index outside the table.
int32_t ReadSystemStatus(int n);
