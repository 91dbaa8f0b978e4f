#pragma once
// The movement commands of flows (types 2 to 10): 直線移動, 地上折り返し移動,
// 円移動, 突撃移動, 誘導移動, 画面外回避移動, 移動の無効化, 向き変更 and ジャンプ.
//
// Each has a set-up run once when its flow is installed (with the facing at
// installation: "mirrored" means the character faced right then) and a
// handler run once per sub-step while the command has time. A handler works
// out a velocity in pixels per sub-step and hands it to ApplyMoveVelocity;
// the character's own velocity is cleared before every flow step, so the
// velocities of movement commands running in parallel add up.
//
// Direction codes: 0 forward, 1 back, 2 left, 3 right, 4 forward-Y, 5 back-Y,
// 6 up, 7 down, 8 up-left, 9 down-left, 10 up-right, 11 down-right, 12 the
// direction held when the flow started. Angles: 0 left, 90 up, 180 right,
// 270 down; a speed s at angle a is (-cos a x s, -sin a x s).

class cChara;
class cEdMove;
struct COMMANDSTATE;

enum : int {
  DIRCODE_FORWARD = 0,
  DIRCODE_BACK = 1,
  DIRCODE_LEFT = 2,
  DIRCODE_RIGHT = 3,
  DIRCODE_FORWARD_Y = 4,
  DIRCODE_BACK_Y = 5,
  DIRCODE_UP = 6,
  DIRCODE_DOWN = 7,
  DIRCODE_UP_LEFT = 8,
  DIRCODE_DOWN_LEFT = 9,
  DIRCODE_UP_RIGHT = 10,
  DIRCODE_DOWN_RIGHT = 11,
  DIRCODE_INPUT = 12,
};

// Face requests of a movement: none, turn left, turn right.
enum : int { FACEREQ_NONE = 0, FACEREQ_LEFT = 1, FACEREQ_RIGHT = 2 };

// A velocity worked out by a movement and the facing it asks for.
struct MOVEVELOCITY {
  double vx = 0.0;
  double vy = 0.0;
  int nFace = FACEREQ_NONE;
};

// The movement settings of a state's command; defaults when it has none.
const cEdMove& MoveSettings(const COMMANDSTATE& state);

// Codes relative to the facing (0, 1, 4, 5) and the input direction (12, from
// the current runner's direction channel) as absolute codes; a character that
// does not fly takes a diagonal input direction as its horizontal part. Other
// codes are returned as they are.
int ResolveDirection(const cChara& chara, int nCode);
// Speed s along an absolute direction code; up and down only for a flying
// character. The face request is made only when the facing is not fixed.
MOVEVELOCITY DirectionVelocity(const cChara& chara, double s, int nCode);
// Speed s at nAngle degrees turned from the direction's own angle.
MOVEVELOCITY AngleVelocity(const cChara& chara, double s, int nCode, int nAngle);
// Speed s toward a target point (直線移動 by coordinates); may set the
// state's countdown to the arrival time.
MOVEVELOCITY TargetVelocity(const cChara& chara, double s, COMMANDSTATE& state);
// Adds the velocity to the character (or, with inertia, accelerates its walk
// velocity), turns it as asked unless its facing is fixed (bForce overrides
// that) or the move keeps the facing, and switches to the walking or flying
// animation.
void ApplyMoveVelocity(cChara& chara, const MOVEVELOCITY& v, COMMANDSTATE& state, int bForce);

// Set-ups (g_apfnCommandSetup).
void PrepareLinearMove(COMMANDSTATE& state, cChara& chara, int nFacing);
void PrepareMoveTiming(COMMANDSTATE& state, cChara& chara, int nFacing);
void PrepareCircleMove(COMMANDSTATE& state, cChara& chara, int nFacing);
void PrepareChargeMove(COMMANDSTATE& state, cChara& chara, int nFacing);
void PrepareHomingMove(COMMANDSTATE& state, cChara& chara, int nFacing);
void PrepareJump(COMMANDSTATE& state, cChara& chara, int nFacing);

// Handlers (g_apfnCommand).
void CmdLinearMove(cChara& chara, COMMANDSTATE& state);
void CmdGroundTurnMove(cChara& chara, COMMANDSTATE& state);
void CmdCircleMove(cChara& chara, COMMANDSTATE& state);
void CmdChargeMove(cChara& chara, COMMANDSTATE& state);
void CmdHomingMove(cChara& chara, COMMANDSTATE& state);
void CmdStayOnScreenMove(cChara& chara, COMMANDSTATE& state);
void CmdCancelMove(cChara& chara, COMMANDSTATE& state);
void CmdTurn(cChara& chara, COMMANDSTATE& state);
void CmdJump(cChara& chara, COMMANDSTATE& state);
