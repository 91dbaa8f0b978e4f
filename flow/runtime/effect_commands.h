#pragma once
// The flow commands that show effects and pictures: エフェクトの実行 (28),
// キャラエフェクトの実行 (29), 画面エフェクトの実行 (30), ピクチャーの表示
// (31) and 画面の色を変更 (32). Each body acts once per call; the item
// commands run the same bodies on the hero. An effect or a picture that
// stops the game holds it on the pause thread's nested loop for exactly its
// frames (or until the decide key) while the game thread waits.

class cChara;
class cFlowCommand;
struct COMMANDSTATE;

// Where a w x h image goes, its top-left corner in the stage: 0 centred on
// the screen, 1 on the character's sprite, 2 on the hero's, 3 at screen
// cell (cx, cy), 4 at stage cell (cx, cy); moved by (dx, dy) pixels. Any
// other mode gives the stage origin.
void EffectPosition(double& x, double& y, int w, int h, const cChara& chara, int nMode, int cx,
                    int cy, int dx, int dy);

// Effect 0 removes every effect; any other is shown at its size in percent
// and may stop the game for its length.
void DoRunEffect(cChara& chara, const cFlowCommand& cmd);
void CmdRunEffect(cChara& chara, COMMANDSTATE& state);
// Starts a character effect on the character (row, run mode, loop).
void DoCharaEffect(cChara& chara, const cFlowCommand& cmd);
void CmdCharaEffect(cChara& chara, COMMANDSTATE& state);
// Starts the screen effect (row, run mode, loop); row 0 stops it.
void DoScreenEffect(cChara& chara, const cFlowCommand& cmd);
void CmdScreenEffect(cChara& chara, COMMANDSTATE& state);
// Sets the screen colour (cPlayScene::SetScreenColor with the eight
// parameters: red, green, blue, strength, take-back, tenths, blink, flashes).
void DoScreenColor(cChara& chara, const cFlowCommand& cmd);
void CmdScreenColor(cChara& chara, COMMANDSTATE& state);
// Shows a picture, replaces the one of the same ID in its place, or removes
// pictures; one that stops the game is removed when the wait is over.
void DoShowPicture(cChara& chara, const cFlowCommand& cmd);
void CmdShowPicture(cChara& chara, COMMANDSTATE& state);
