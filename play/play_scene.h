#pragma once
// cPlayScene: the scene in which a stage is played. It owns everything of
// the running stage: the hero, the characters, the camera axes, the lists
// and counters of one attempt. Objects and flows reach it through
// g_lpPlayScene.
//
// This header holds what the game objects, the block collision and the flow
// runtime use of the scene; the scene's states, set-up, frame and drawing
// are declared with them as they are built.

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "app/base/checked_containers.h"
#include "app/core/scene.h"
#include "flow/runtime/flow_context.h"
#include "objects/chara.h"
#include "objects/player.h"
#include "play/scroll_axis.h"

class cEdShot;
class cEdBlock;
class cEdItem;
class cMapCell;

inline constexpr int kFactions = 8;

// The flow context part holds the current character, runner and command
// state of the flow being worked on, the stage variables and the requests
// flows make of the scene.
class cPlayScene : public cScene, public cFlowContext {
 public:
  cPlayScene();
  cPlayScene(const cPlayScene&) = delete;
  cPlayScene& operator=(const cPlayScene&) = delete;
  ~cPlayScene() override;

  // ---- Characters by object id ----
  // Makes a computer character findable by its id once it sits in
  // m_CharaList (its address never changes there). A later registration of
  // the same id replaces the earlier one.
  void RegisterChara(cChara& chara);
  // Forgets the character when it leaves the stage; nothing when another
  // object is registered under its id.
  void UnregisterChara(const cChara& chara);
  // The element of Player with that id, else the registered computer
  // character, else null.
  cChara* FindCharaById(int nId);
  // The hero (P1), or null before set-up.
  cPlayer* Hero() { return Player.empty() ? nullptr : &Player.front(); }

  // ---- Map cells (the block query) ----
  // The block's appearance conditions, evaluated for the hero, with the
  // cell's latch (the flow runtime).
  bool CheckBlockConditions(cMapCell& cell);

  // ---- Block collision: cell choice ----
  int ChooseEdgeCell(const cChara& chara, int x1, int y1, int x2, int y2);
  int ChooseFootCell(const cChara& chara);
  int ChooseCornerCell(int nCol1, int nRow1, int nCol2, int nRow2, int nFaction);

  // ---- Block collision: edge tests, 0 or 2 (fatal contact) ----
  int TestLeftEdge(cChara& chara);
  int TestRightEdge(cChara& chara);
  int TestTopEdge(cChara& chara);
  int TestBottomEdge(cChara& chara);
  int TestBlocksX(cChara& chara);
  int TestBlocksY(cChara& chara);
  int RetestBlocksX(cChara& chara);
  int RetestBlocksY(cChara& chara);
  // The hero kept inside an autoscrolling view (or any view while flying).
  void KeepHeroOnScreenX(cPlayer& hero);
  int KeepHeroOnScreenY(cPlayer& hero);
  // The object's box touches a solid map cell or a block character.
  int IsBoxBlocked(const cGameObject& obj);

  // ---- Block summons and the hero's foot ----
  void SummonBlockAt(double x, double y, const cEdShot& settings, const cEdBlock& def);
  int CheckCrush(int nCell, int nCol, int nRow, const cEdShot& settings);
  int ApplyFootEffect(cPlayer& hero);
  int TakeItemFromBlock(cPlayer& hero);

  cScrollAxis m_ScrollX;
  cScrollAxis m_ScrollY;
  // The hero: element 0 (P1). Sized at set-up only.
  std::vector<cPlayer> Player;
  cCharaList m_CharaList;
  std::vector<cCharaPtrList> m_vFactionChara;  // kFactions lists
  int32_t m_nPlayers = 0;
  int32_t m_nSubStepNo = 0;                 // 1-based in the sub-step loop, else 0
  cCheckedVector<int32_t> m_vHitSubStep;    // per sub-step: the faction hit test runs
  cCheckedVector<int32_t> m_vChangedCells;  // cells toggled by the running block summon
  int32_t m_nNextId = 0;

 private:
  // Computer characters by id; null where none is registered.
  std::vector<cChara*> m_vCharaById;
};

// Gives the hero the item of an item block: a temporary item set up from the
// definition (id 0, not carried, appeared) applied to the hero. 0, or 1
// stage clear, 2 miss.
int ApplyBlockItemToHero(const cEdItem& def, cPlayer& hero);
