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

// ショット (11): in its first sub-step and every tenth of a second while it has
// time, the command's sound and a run of its fire pattern (FireShots,
// objects/fire_pattern.h).
void CmdShot(cChara& chara, COMMANDSTATE& state);
// ソード (12): once a run of the command, its sound and a sword of the
// settings' SwordType row that follows the character.
void CmdSword(cChara& chara, COMMANDSTATE& state);
// ブロック召喚 (13), キャラ召喚 (14), アイテム召喚 (15): as ショット, with the
// summon of the settings' definition (SummonBlocks, SummonCharas,
// SummonItems).
void CmdSummonBlock(cChara& chara, COMMANDSTATE& state);
void CmdSummonChara(cChara& chara, COMMANDSTATE& state);
void CmdSummonItem(cChara& chara, COMMANDSTATE& state);
// フローの操作 (16): start, end, pause, resume, delete or halt this flow, every
// other flow of the character, or the flows of one ID.
void CmdFlowControl(cChara& chara, COMMANDSTATE& state);
// ステージクリア (17): the next stage, the world-map position and the hero's
// start in the next stage; the play scene's end request becomes 1.
void CmdStageClear(cChara& chara, COMMANDSTATE& state);
int DoStageClear(cChara& chara, const cFlowCommand& cmd);
// ゲームウエイト (18): the game stands still for parameter 0 tenths of a
// second (the pause thread's draw-only frames), an invisible timer message
// listed meanwhile.
void CmdGameWait(cChara& chara, COMMANDSTATE& state);
void DoGameWait(cChara& chara, const cFlowCommand& cmd);
// メッセージ (19): a text window of the command's text (with its variables
// substituted when asked), placed on the screen, at a character or a cell,
// shown until the key, the stage's end or for its time; with an ID it
// replaces or closes the window of that ID. One that stops the game holds
// it until the decide key (the time for a timed one) and then goes.
// bChained: it follows a key-wait window at once (no opening animation, no
// delay or sound before the key). Nothing while the play scene must quit.
void CmdMessage(cChara& chara, COMMANDSTATE& state);
void DoMessage(cChara& chara, const cFlowCommand& cmd, int bChained);
// The item command (type 4): chained to the previous メッセージ of the list.
int DoItemMessage(cChara& hero, const cFlowCommand& cmd);
// ステータスの操作 (22): ApplyStatusOperation (status_operation.h).
void CmdStatus(cChara& chara, COMMANDSTATE& state);
// ステータスの操作2 (23): parameter 0 the object (0 self, 1 the target, 2 the
// system), 1 the property, 2 its value. System: 0 and 1 the stage's
// horizontal and vertical autoscroll speed. Character: 0 消滅 (a computer
// character vanishes, the hero's HP becomes 0), 1 透明, 2 向き固定, 3 飛行
// (the hero only), 4 無敵, 5 巨大化, 6 オートスクロールとシンクロ; each value is
// kept within what its setting can mean. Returns 0.
void CmdStatus2(cChara& chara, COMMANDSTATE& state);
int DoStatus2(cChara& chara, const cFlowCommand& cmd);
// コードの実行 (36): ExecuteCode (expression.h) with the command's text.
// Returns 0 whether the line succeeded or not.
void CmdRunCode(cChara& chara, COMMANDSTATE& state);
int DoRunCode(cChara& chara, const cFlowCommand& cmd);

// ワープ (20): the character jumps by a direction and a distance (from where
// it stands, or from its target's centre along the target's facing) or to
// coordinates (relative, a map cell, or the view, where it is then drawn in
// this frame); a destination off the stage or in a block or block character
// leaves it where it was, else a walker loses its vertical speed.
void CmdWarp(cChara& chara, COMMANDSTATE& state);
void DoWarp(cChara& chara, const cFlowCommand& cmd);
// ターゲットの設定 (21): the target becomes the hero, the character itself, the
// nearest character of a group list (or of each group) by a search range, or
// the first of a character ID; searches may leave out the character itself,
// invincible characters and block characters. No character found: no target.
void CmdSetTarget(cChara& chara, COMMANDSTATE& state);
void DoSetTarget(cChara& chara, const cFlowCommand& cmd);
// アイテムの取得 (24): the hero runs the command list of item parameter 1 of
// the common (parameter 0 = 0) or the stage palette (1); a stage clear or a
// miss it ends with becomes the end request.
void CmdGetItem(cChara& chara, COMMANDSTATE& state);
void DoGetItem(cChara& chara, const cFlowCommand& cmd);

// グラフィックの変更 (25): graphic kind, number and cell of the character.
void CmdChangeGraphic(cChara& chara, COMMANDSTATE& state);
void DoChangeGraphic(cChara& chara, const cFlowCommand& cmd);
// 基本アニメセットの変更 (26): the character's animation set (AnimeSet row).
void CmdChangeAnimeSet(cChara& chara, COMMANDSTATE& state);
void DoChangeAnimeSet(cChara& chara, const cFlowCommand& cmd);
// アニメの実行 (27): plays Anime row parameter 0 over the character's base
// animation, under runner key nKey: the flow command gives its runner's, so
// that the flow's pause, resume and end reach it; the item command gives
// kNoRunnerKey.
void CmdRunAnime(cChara& chara, COMMANDSTATE& state);
void DoRunAnime(cChara& chara, const cFlowCommand& cmd, int nKey);
// 背景の変更 (33): shows, hides or toggles background layer parameter 0
// (counted from 1; 0 and numbers past the stage's layers name none).
void CmdChangeBackground(cChara& chara, COMMANDSTATE& state);
void DoChangeBackground(cChara& chara, const cFlowCommand& cmd);
// 効果音の再生 (34): Sound row parameter 0, when the command is heard.
void CmdPlaySound(cChara& chara, COMMANDSTATE& state);
void DoPlaySound(cChara& chara, const cFlowCommand& cmd);
// BGMの再生 (35): the stage music becomes Bgm row parameter 0 (0 stops it),
// looped when parameter 1 is set.
void CmdPlayBgm(cChara& chara, COMMANDSTATE& state);
void DoPlayBgm(cChara& chara, const cFlowCommand& cmd);

// A command's sounds are heard unless they are for the screen only and the
// character is not on it.
bool IsCommandHeard(const cChara& chara, const cFlowCommand& cmd);

// The item command executors, indexed by item command type (0..21): each runs
// once on the hero that takes the item; a result other than 0 ends the
// item's list and is handed back to the item handling. An empty entry does
// nothing: types whose behaviour is not built yet.
using ITEMCOMMANDPROC = int (*)(cChara& hero, const cFlowCommand& cmd);
extern const ITEMCOMMANDPROC g_apfnItemCommand[kItemCommandCount];

// フローの変更 (item type 1) on `chara`: parameter 0 is the operation, 0 append
// the command's nested flows after the character's flows, 1 replace the
// flows of ID parameter 1 by them (at the place of the first one, or at the
// end when none has the ID), 2 delete the flows of ID parameter 1; ID 0
// names every flow. Added flows take the facing of the character's
// definition. While the hero's own flows are being raised or stepped, a
// change of its flows (bQueued 0) waits in its queue, which its flow step
// runs (bQueued 1) once its flows are done, so that nothing moves under the
// walk. Returns 0.
int ChangeFlows(cChara& chara, const cFlowCommand& cmd, int bQueued);
