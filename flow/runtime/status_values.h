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

// The range a status operation (ステータスの操作) keeps a status in, by
// index. HP and SP then follow the character's own rules of change.
struct STATUSRANGE {
  int32_t nMin;
  int32_t nMax;
};
inline constexpr STATUSRANGE kCharaStatusRange[CHARASTATUS_COUNT] = {
    {-999999, 999999},  // character variable
    {0, 999999},        // hp
    {0, 999999},        // sp
    {0, 999999},        // mhp
    {0, 999999},        // msp
    {0, 99},            // cid
    {0, 7},             // z
    {0, 119},           // mark
    {0, 40},            // sight
    {-999999, 999999},  // power
    {-20, 20},          // imp
    {0, 999999},        // def
    {0, 20},            // impd
    {0, 200},           // stop
    {-999999, 999999},  // getsc
};
inline constexpr STATUSRANGE kSystemStatusRange[SYSSTATUS_COUNT] = {
    {0, 999},     // time
    {-480, 480},  // scrlx
    {-480, 480},  // scrly
    {0, 999999},  // score
    {0, 99},      // life
};
// The range of the common and stage variables.
inline constexpr STATUSRANGE kVariableRange = {-999999, 999999};

// Status nStatus of the character (nVarIndex names the variable of status
// 0, through the checked accessor). 0 for an index outside the table.
int32_t ReadCharaStatus(const cChara& chara, int nStatus, int nVarIndex);
// System status n as stored; 0 for an index outside the table.
int32_t ReadSystemStatus(int n);

// The character an object code names for a subject: 0 the subject, 1 its
// target; null for a missing target, for another code and without a
// subject.
cChara* ObjectOfSubject(cChara* lpSubject, int nObject);
// A status as the right operand of a condition or a status operation:
// object 2 the system status nStatus (time reads 0 while the stage has no
// time limit, life 0 while the lives are infinite), object 0 or 1 the
// character status nStatus of the subject or its target (status 0 its
// variable nVarIndex). False when the whole condition or operation comes to
// nothing: no such character, or the sight of a character not of player
// kind.
bool ReadStatusOperand(cChara* lpSubject, int nObject, int nStatus, int nVarIndex, int32_t& r);

// Where character variable n of the character lives; null, with the report
// of the checked accessor, for a number outside its table.
int32_t* CharaVarSlot(cChara& chara, int n);

// Stores nValue into status nStatus of the character, each in the type of
// its own field (a value beyond that type saturates at its ends), and
// carries out what follows from the new value: a lower maximum HP or SP
// lowers HP or SP to it, the sight of a character of player kind sets its
// sight radius, the stop value its deceleration. HP and SP are stored as
// they are, without the rules of a change (cChara::ChangeHp). A character
// variable outside the table is reported (CharaVarSlot) and nothing is
// written; a status outside the table writes nothing.
void WriteCharaStatus(cChara& chara, int nStatus, int nVarIndex, int32_t nValue);
// Stores system status n: the time left, the stage's autoscroll speed along
// x or y (which the play scene's axis then takes up, with the stage's
// autoscroll switch of that axis), the score or the lives. Nothing for an
// index outside the table.
void WriteSystemStatus(int n, int32_t nValue);
