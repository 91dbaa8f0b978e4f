#pragma once
// The flow command handlers, indexed by character command type (0..36).
//
// A handler runs once per sub-step while its command has time, with the
// running character and the command's state; a set-up function runs once
// when the flow is installed on a character, with the facing at
// installation. An empty entry does nothing: types whose behaviour is not
// built yet run as plain waits.

#include "flow/command_table.h"

class cChara;
class cFlowCommand;
struct COMMANDSTATE;

using FLOWCOMMANDPROC = void (*)(cChara& chara, COMMANDSTATE& state);
using FLOWSETUPPROC = void (*)(COMMANDSTATE& state, cChara& chara, int nFacing);

extern const FLOWCOMMANDPROC g_apfnCommand[kCharaCommandCount];
extern const FLOWSETUPPROC g_apfnCommandSetup[kCharaCommandCount];

// フローの操作 (16): start, end, pause, resume, delete or halt this flow, every
// other flow of the character, or the flows of one ID.
void CmdFlowControl(cChara& chara, COMMANDSTATE& state);
// ステージクリア (17): the next stage, the world-map position and the hero's
// start in the next stage; the play scene's end request becomes 1.
void CmdStageClear(cChara& chara, COMMANDSTATE& state);
int DoStageClear(cChara& chara, const cFlowCommand& cmd);

// The item command executors, indexed by item command type (0..21): each runs
// once on the hero that takes the item; a result other than 0 ends the
// item's list and is handed back to the item handling. An empty entry does
// nothing: types whose behaviour is not built yet.
using ITEMCOMMANDPROC = int (*)(cChara& hero, const cFlowCommand& cmd);
extern const ITEMCOMMANDPROC g_apfnItemCommand[kItemCommandCount];
