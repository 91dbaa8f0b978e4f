#pragma once
// A running stage for tests of the game library, without a play scene's
// states or drawing: the stage being played (g_Stage), a new stage record
// with the given size, collision level and gravity, its camera axes and map
// grid, and a play scene installed as g_lpPlayScene. Blocks are put straight
// into the grid.
// Every global it touches (the stage, the map, the System record, the
// database, the record globals, g_lpPlayScene) is put back when it goes.

#include <memory>
#include <optional>

#include "objects/chara.h"
#include "objects/player.h"
#include "play/map_cells.h"
#include "play/play_scene.h"

struct PLAYFIXTUREOPTIONS {
  int nWidth = 40;  // map cells, without the border
  int nHeight = 20;
  // Collision level: one sub-step a frame unless a test asks for more (a
  // new stage has 10), so that velocities and gravity are per frame.
  int nLevel = 1;
  std::optional<double> dGravity = {};  // a new stage's unless given
};

// A computer character whose steps move it by its velocities alone (its
// walk and knock-back, no deceleration), with the world clamp, so that a
// test sets a velocity and sees exactly that move.
class cTestChara : public cComChara {
 public:
  int StepX() override {
    m_dVX = m_dWalkVX + m_dKnockX;
    return MoveX(2);
  }
  int StepY() override {
    ApplyKnockbackY();
    return MoveY(2);
  }
};

// A test character that also steps its flows as a computer character does:
// its flow step reports it gone when it vanished or its HP is 0 or below.
class cTestFlowChara : public cTestChara {
 public:
  int RunFlows(int bDeathPass) override;
};

class cPlayFixture {
 public:
  explicit cPlayFixture(const PLAYFIXTUREOPTIONS& options = {});
  ~cPlayFixture();
  cPlayFixture(const cPlayFixture&) = delete;
  cPlayFixture& operator=(const cPlayFixture&) = delete;

  cPlayScene& Scene() { return *m_lpScene; }

  // The cell of stage map cell (tx, ty) (without the border), made a block
  // of the given hit kind with a graphic.
  cMapCell& PutBlock(int tx, int ty, int8_t nHitKind = BLOCKHIT_SOLID);
  // A row of blocks from tx1 to tx2 at ty.
  void PutRow(int tx1, int tx2, int ty, int8_t nHitKind = BLOCKHIT_SOLID);
  int CellIndex(int tx, int ty) const;

  // A character set up at world position (x, y) with a hit box of w x h in
  // a 32 x 32 sprite (box offset 0), kind, faction and movement mode as
  // given, giant factor 1, not yet in any list.
  static void SetupChara(cChara& chara, int nId, double x, double y, int w = 16, int h = 24,
                         int nKind = OBJKIND_COM, int nFaction = 1, int nMoveMode = MOVEMODE_WALK);
  // The hero, made element 0 of the scene's Player and set up as above
  // (player kind, faction 0).
  cPlayer& AddHero(double x, double y, int w = 16, int h = 24);
  // A computer character of class T (a cChara), set up as above with the
  // next object id and put on the stage (AddCharacter).
  template <class T = cTestChara>
  T& AddChara(double x, double y, int w = 16, int h = 24, int nFaction = 1) {
    auto lpChara = std::make_unique<T>();
    SetupChara(*lpChara, m_lpScene->NewCharaId(), x, y, w, h, OBJKIND_COM, nFaction, MOVEMODE_WALK);
    return m_lpScene->AddCharacter(std::move(lpChara));
  }

  // One sub-step of block collision for a computer character, in the play
  // frame's order: contacts cleared and position saved, step in x, the side
  // tests, gravity, step in y, the bottom and top tests. The first fatal
  // result (2), else 0.
  int SubStep(cChara& chara);

 private:
  std::unique_ptr<cPlayScene> m_lpScene;
  cPlayScene* m_lpPrevScene = nullptr;
};
