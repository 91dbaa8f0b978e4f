#pragma once
// cPlayScene: the scene in which a stage is played. It owns everything of
// the running stage: the hero, the characters, the camera axes, the lists
// and counters of one attempt. Objects and flows reach it through
// g_lpPlayScene.
//
// States: -1 until Init has run, then 0 fade in, 1 stage-start banner,
// 2 play, 3 pause menu, 4 stage clear, 5 retry menu, 6 game over, 7 fade
// out. A frame of play runs N physics sub-steps in a fixed order and then
// draws; drawing carries game logic too (the hero's miss is settled when
// its dying animation has been drawn to its end), so tests run whole frames
// with a device that draws into memory.
//
// Time in play is frames and sub-steps; nothing here reads the clock. The
// random generator is seeded once per attempt (m_nSeed, kept in the replay).

#include <cstdint>
#include <list>
#include <memory>
#include <ranges>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/base/checked_containers.h"
#include "app/core/scene.h"
#include "flow/runtime/flow_context.h"
#include "objects/chara.h"
#include "objects/com_chara.h"
#include "objects/effect_object.h"
#include "objects/item.h"
#include "objects/message.h"
#include "objects/player.h"
#include "objects/shot.h"
#include "play/screen_effects.h"
#include "play/scroll_axis.h"
#include "play/wait_request.h"

class cEdShot;
class cEdBlock;
class cEdItem;
class cMapCell;
class cPlayData;
struct DDSURFACEDATA;

inline constexpr int kFactions = 8;
inline constexpr int kActivationGroups = 60;
// Shots a stage holds at most: a volley that would make more leaves the
// rest out (one report-log line an attempt).
inline constexpr size_t kMaxLiveShots = 8192;

// The flow context part holds the current character, runner and command
// state of the flow being worked on, the stage variables and the requests
// flows make of the scene.
class cPlayScene : public cScene, public cFlowContext {
 public:
  cPlayScene();
  cPlayScene(const cPlayScene&) = delete;
  cPlayScene& operator=(const cPlayScene&) = delete;
  ~cPlayScene() override;

  // ---- Scene (states) ----
  void Run() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  bool RestoreOwnSurfaces() override;
  void ShowStageStart();
  void PlayFrame();
  void PauseMenu();
  void StageClear();
  void RetryMenu();
  void GameOver();
  // New-game reset of the play data and the attempt's counters.
  void ResetPlayState();
  // 1 when play may go on (a life was taken, or none is counted), 0 when no
  // life is left.
  int TakeLife(cPlayData& data);
  // The space key: saves the state for the pause menu; 1 when pressed.
  int CheckPauseKey();

  // ---- Stage set-up ----
  // Prepares the loaded stage (g_Stage) for an attempt. bRestore copies the
  // settings back from the start-of-play copy; bRestartBgm asks for the
  // stage music as on entry. 0 when the map grid cannot be allocated (the
  // program is then asked to close).
  int SetStage(int bRestore, int bRestartBgm);
  // Its last step: trigger 18 (stage start) on the hero, then on every
  // character in list order; a character that vanished in those flows
  // leaves, one whose HP fell below 1 is killed and leaves.
  void RaiseStageStart();

  // ---- Play frame ----
  void TickPlayTime();
  // 1 when the time limit has run out (delta per counted second).
  int TickTimeLimit(int nDelta);
  // The stage is cleared: its results settled (FinishClearedStage) and the
  // stage-clear display (state 4) next.
  void EnterStageClear();
  // A result that ends the sub-step, of the kill routine, an item or the
  // hero's flows: 1 the stage is cleared (EnterStageClear), 2 the hero dies
  // (HeroDies). True for either, false for any other.
  bool EndByResult(int r);
  // The hero dies (with a trace line when one is given): system sound 8,
  // Die, and a clear pending through Die ends in the stage clear.
  void HeroDies(const char* pszTrace);
  // The kill routine: 0 the frame goes on, 1 the stage was cleared, 2 a
  // miss was handled.
  int ResolveDeath(cChara& chara);
  int HandleCharaDeath(cChara& chara);
  // Deaths left by flows (m_bCodeKill): 1 when the sub-step must end.
  int CheckDeaths();
  // The hits between factions of a sub-step (play/group_hits.cpp): shots
  // against characters, characters against characters, shots against
  // shots. 0, or 1 (the stage is cleared) or 2 (the hero died) from the
  // first death or item that ends the sub-step; the caller carries it out.
  int HitGroups();
  // A sub-step's count of the computer characters' lifetimes: a living one
  // whose lifetime runs out leaves.
  void StepCharaLifetimes();
  // The computer characters that have appeared and lie outside the erase
  // area of their kind leave, when the stage erases that kind.
  void EraseCharasOutside();
  // A sub-step's pass over the block characters or the other computer
  // characters: flows, movement, blocks, deaths. False when the sub-step ends.
  bool StepComCharas(bool bBlockCharas);

  // ---- Drawing ----
  void DrawFrame(int bPlay, int bFrozen, int bCounting, int bCaption);
  void DrawHero(int bFrozen);
  // 1 when the character's dying animation has ended.
  int DrawCharacter(cComChara& chara, int bFrozen);
  void DrawStatus(DDSURFACEDATA* lpTarget);
  void DrawTimeLimit(DDSURFACEDATA* lpTarget, int bCounting);
  // Backgrounds, map cells and surfaces.
  void FillBackgroundSlots();
  void PrepareShotSheets();
  void LoadCharaExcSheets();
  // Four sheets a SwordType row: its second and its first image, then the
  // two again for stretched drawing.
  void LoadSwordSheets();
  void LoadEffectSheets();
  void ScrollBackgrounds();
  void DrawBackgrounds(DDSURFACEDATA* lpTarget, int bFront);
  void DrawMapCells(DDSURFACEDATA* lpTarget, int bFront);

  // ---- Effects and pictures ----
  // Every effect, in list order; one that has ended goes (in a frozen frame
  // it is only marked, and goes in the next frame of play).
  void DrawEffects(DDSURFACEDATA* lpTarget, int bFrozen);
  // The pictures of one layer (0 behind the map cells, 1 in front), ended
  // ones as effects.
  void DrawPictures(DDSURFACEDATA* lpTarget, int bFront, int bFrozen);
  // A picture with its surface put into the list before `where`, with a
  // serial number of its own.
  cPictureObject& AddPicture(const PICTURESETUP& setup, DDSURFACEDATA&& surface,
                             std::list<cPictureObject>::iterator where);
  // Removes the picture with that serial number; nothing when it has gone.
  void RemovePicture(uint32_t nSerial);
  // Every picture gone with its surface.
  void ClearPictures();

  // ---- Messages ----
  // Every message, in list order; one that has ended goes (in a frozen
  // frame it is only marked, as effects are).
  void DrawMessages(DDSURFACEDATA* lpTarget, int bFrozen);
  // A message made from the settings, put into the list before `where`,
  // with a serial number of its own.
  cMessage& AddMessage(const MESSAGESETUP& setup, std::list<cMessage>::iterator where);
  cMessage& AddMessage(const MESSAGESETUP& setup) { return AddMessage(setup, m_MessageList.end()); }
  // The message with that serial number, or null when it has gone.
  cMessage* FindMessage(uint32_t nSerial);
  // Removes the message with that serial number (and its surface); nothing
  // when it has gone.
  void RemoveMessage(uint32_t nSerial);

  // ---- Screen effect and screen colour ----
  // One frame of the running screen effect (nothing when none runs); an
  // effect that has ended is gone and the frame is drawn straight again.
  void RunScreenEffect(int bFrozen);
  // 画面の色を変更: the colour, its strength in percent, take-back (not 0:
  // the colour that is on fades out), the time in tenths, blink and the
  // number of flashes. A take-back with no colour to take back is ignored.
  void SetScreenColor(int nRed, int nGreen, int nBlue, int nStrength, int nTakeBack, int nTenths,
                      int bBlink, int nRepeats);
  // The screen colour of this frame, the last thing drawn; frozen frames
  // show it as it stands.
  void DrawScreenColor(int bFrozen);

  // ---- Stage end ----
  void FinishClearedStage();
  void AddClearTotals();
  // The bookkeeping after the stage-clear display; the next scene.
  int FinishStage();
  void RequestStageBgm(int nBgm, int nLoop);
  int MakePartFileName(std::string& strName, int nPart);
  int IsLastPart(int nPart);
  void RegisterRanking();
  // Runs the nested draw-only loop of the wait request on the pause thread
  // while this (the game) thread waits for it.
  void RunWaitRequest();

  // ---- The computer characters ----
  // The character list changes only through these, which keep the faction
  // lists and the lookup by id in step with it.
  // Appends the character to the character list (where its address never
  // changes), makes it findable by its object id and puts it into the list
  // of its faction. A later character of the same id is the one found.
  cComChara& AddCharacter(std::unique_ptr<cComChara> lpChara);
  template <class T>
  T& AddCharacter(std::unique_ptr<T> lpChara) {
    T& chara = *lpChara;
    AddCharacter(std::unique_ptr<cComChara>(std::move(lpChara)));
    return chara;
  }
  // Takes a character off the stage: every link to it cut, out of every
  // faction list, no longer found by its id, destroyed. Returns the next
  // node.
  cCharaList::iterator RemoveCharacter(cCharaList::const_iterator it);
  // Every character taken off the stage (set-up).
  void ClearCharacters();
  // Puts the hero first in the list of its faction (set-up).
  void ListHero() { FactionList(*Hero()).push_front(Hero()); }
  const cCharaList& CharaList() const { return m_CharaList; }
  // The block characters of the list, in list order (dead or not yet shown
  // ones included). Made again after the list changed and at each sub-step,
  // so that the solid-character tests walk a few characters, not all.
  const std::vector<cComChara*>& BlockCharas();
  // The hero and the computer characters of faction nFaction (0..7).
  const cCharaPtrList& FactionCharas(int nFaction) const;
  // The element of Player with that id, else the computer character, else
  // null.
  cChara* FindCharaById(int nId);
  // A new object id of this attempt: the hero takes the first (set-up), the
  // computer characters those after it.
  int32_t NewCharaId() { return m_nNextId++; }
  // The hero (P1), or null before set-up.
  cPlayer* Hero() { return Player.empty() ? nullptr : &Player.front(); }

  // ---- Items ----
  // The item list changes only through these; an item never moves while it
  // is listed.
  // Appends the item.
  cItem& AddItem(cItem&& item);
  // Takes the item off the stage; the next node.
  cItemList::iterator RemoveItem(cItemList::const_iterator it);
  // Every item taken off the stage (set-up).
  void ClearItems() { m_ItemList.clear(); }
  const cItemList& ItemList() const { return m_ItemList; }
  // The listed items, to change (not to add or remove).
  std::ranges::subrange<cItemList::iterator> Items() {
    return {m_ItemList.begin(), m_ItemList.end()};
  }
  // The item of a placement on stage map cell (tx, ty), shifted by its
  // pixel offset, with the next item id; nothing (and no id used) when it
  // would not lie inside the world.
  void SpawnStageItems(int tx, int ty, const cEdItem& placement);
  // The item summon: an item of the definition whose sprite's top-left lies
  // at world (x, y), shifted by the definition's pixel offset, with the
  // settings' lifetime and the next item id; null (and no id used) when it
  // would not lie inside the world.
  cItem* SpawnItemAt(double x, double y, const cEdShot& settings, const cEdItem& def);
  // A sub-step's count of the items' lifetimes: an item whose lifetime runs
  // out leaves.
  void StepItemLifetimes();
  // Items outside the stage's item erase area leave (when it has a side).
  void EraseItemsOutside();
  // The items of one depth layer (every item with one layer), in list
  // order; one not on screen, or carried, is not drawn.
  void DrawItems(int nLayer, int nLayers, int bFrozen);
  // The hero against the items: each it touches is applied (pickup mode 0
  // then leaves, mode 1 applies once a contact). 0, or the first non-zero
  // result of an applied item (1 stage clear, 2 miss).
  int HeroTouchesItems(cPlayer& hero);

  // ---- Shots ----
  // The shot list changes only through these, which keep the faction lists
  // and the targets' lists of aimed shots in step with it. A shot never
  // moves while it is listed, so a walk of the shot list or of a faction
  // list goes on from the node a removal returns.
  // Lists a copy of the shot (the argument is not listed and links to
  // nothing) in the shot list and in the faction list of its settings'
  // faction number (a number past the lists is reported, the program asked
  // to close and list 0 used); the next shot id moves on. Null, with one
  // report-log line an attempt, when the stage holds kMaxLiveShots shots.
  cShot* AddShot(const cShot& shot);
  // Enters a listed shot in its target's list of the shots aimed at it
  // (once); a shot without a target is left as it is.
  void EnterAimedShot(cShot& shot);
  // Takes the shot off the stage: out of its faction list and its target's
  // list of aimed shots, destroyed. The next node of the shot list, or of
  // the shot's faction list.
  cShotList::iterator RemoveShot(cShotList::const_iterator it);
  cShotPtrList::iterator RemoveShot(cShot& shot);
  // Every shot taken off the stage (set-up).
  void ClearShots();
  const cShotList& ShotList() const { return m_ShotList; }
  // The listed shots, to change (not to add or remove).
  std::ranges::subrange<cShotList::iterator> Shots() {
    return {m_ShotList.begin(), m_ShotList.end()};
  }
  // The shots of faction nFaction (0..7).
  const cShotPtrList& FactionShots(int nFaction) const;
  // The object id the next listed shot takes.
  int32_t NextShotId() const { return m_nNextShotId; }
  // The shots aimed at the character lose their target (it died or left).
  void ForgetShotTarget(int nCharaId);
  // A sub-step of every shot, in list order (also while the hero is dead):
  // its update, gravity and motion; it goes when its update says so, in
  // sub-step 1 when it is outside the erase area of its kind, or when a map
  // cell blocks it.
  void StepShots(int nSubStep);
  // The shots of one depth layer (every shot with one layer), in list
  // order; one not on screen is not drawn.
  void DrawShots(int nLayer, int nLayers, int bFrozen);

  // ---- Spawning and appearance ----
  // The characters of a placement on stage map cell (tx, ty), one for each
  // of its copies, shifted by the copy offsets; a copy that would not lie
  // inside the world is dropped and uses no object id. Each copy carries a
  // copy of lpCarried, when given. The number made.
  int SpawnStageCharacters(int tx, int ty, const cEdChara& placement,
                           const cItem* lpCarried = nullptr);
  // The character summon: the copies of the definition with the given
  // faction and facing (no score on defeat when the settings say so), the
  // sprite's top-left at world (x, y), shifted by the copy offsets; a copy
  // that would not lie inside the world, or whose box is blocked by a solid
  // cell or a block character, is dropped and uses no object id. With the
  // settings' lifetime switch each lives that many tenths of a second. The
  // number made.
  int SpawnCharacterAt(double x, double y, int nFaction, int nFacing, const cEdShot& settings,
                       const cEdChara& def);
  // Which objects have appeared and are on screen, and which computer
  // characters are active, at the start of every sub-step and once by
  // set-up: the hero always; the characters and items whose appearance
  // conditions hold.
  void UpdateAppearance();

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

  // ---- Block characters (solid characters and riding) ----
  // The character against the block characters, after its map tests: a
  // flier is pushed out (one that dies on blocks gives 2 when it touched
  // one); a walker lands on one and rides it, is pushed aside or down, is
  // unstuck from map cells it was pushed into and keeps or leaves its ride.
  // 2 when it is crushed, else 0.
  int CollideSolidCharas(cChara& c);
  // Pushes the character out of the block characters it overlaps, along y
  // (bVertical) or x.
  void PushOutOfSolidCharas(cChara& c, int bVertical);
  // 1 when each corner of the character's box, now or at `start`, lies
  // inside a block character.
  int IsEnclosedBySolidCharas(const cChara& c, const DRECT& start);
  // 1 when the character's ride is still under its feet.
  int IsStillOnRide(const cChara& c);
  // The first block character under the character's feet, or null.
  cComChara* FindRideBelow(const cChara& c);
  // A walker riding a block character moves with it: its ride's move since
  // the ride box was taken is added to its velocity (in y too when the ride
  // flies or falls), and the ride gets its riding triggers. 0.
  int CarryRider(cChara& rider);

  // ---- Block summons and the hero's foot ----
  void SummonBlockAt(double x, double y, const cEdShot& settings, const cEdBlock& def);
  int CheckCrush(int nCell, int nCol, int nRow, const cEdShot& settings);
  int ApplyFootEffect(cPlayer& hero);
  int TakeItemFromBlock(cPlayer& hero);

  cScrollAxis m_ScrollX;
  cScrollAxis m_ScrollY;
  // The hero: element 0 (P1). Sized at set-up only.
  std::vector<cPlayer> Player;
  int32_t m_nPlayers = 0;
  int32_t m_nSubStepNo = 0;                 // 1-based in the sub-step loop, else 0
  cCheckedVector<int32_t> m_vHitSubStep;    // per sub-step: the faction hit test runs
  cCheckedVector<int32_t> m_vChangedCells;  // cells toggled by the running block summon

  int32_t m_nPausedState = 0;
  int32_t m_nPausedSubState = 0;
  int32_t m_nSubStepTotal = 0;  // sub-steps run since set-up
  int32_t m_nPlayFrames = 0;    // frames counted for the play time
  int32_t m_nPlayTime = 0;      // 1/100 s, at most 599999
  int32_t m_nBannerCount = 0;
  int32_t m_nStartBannerCount = 0;
  uint32_t m_nSeed = 0;  // random seed of the attempt
  int32_t m_bSwallowDecide = 0;
  cCheckedVector<uint8_t> m_vGroupActive;  // activation groups, 60
  int32_t m_bEraseChara = 0;
  int32_t m_bEraseBlockChara = 0;
  int32_t m_bEraseItem = 0;
  int32_t m_nFrame = 0;  // frames since set-up, 1 in the first play frame
  int32_t m_bRanked = 0;
  cCheckedVector<int32_t> m_vRankPos;    // 5 results: ranking position, -1 none
  cCheckedVector<int32_t> m_vRankValue;  // 5 results
  std::string m_strEntryName;
  int32_t m_nFps = 0;  // the frames of the last second, copied by the scene manager
  int32_t m_bRegistered = 0;
  int32_t m_bShowStatus = 0;
  WAITREQUEST m_WaitRequest;
  // The running screen effect; its number is 0 when none runs.
  cEffectPlayback m_ScrEffect;
  SCREENCOLOR m_ScreenColor;
  // Effects and pictures in drawing order; neither moves while listed.
  std::list<cEffectObject> m_EffectList;
  std::list<cPictureObject> m_PictureList;
  // Messages in drawing order; none moves while listed.
  std::list<cMessage> m_MessageList;
  // The faults of shots reported in this attempt (kShotReport* bits).
  uint32_t m_nShotReports = 0;
  // The every-N counter of the time limit: counts the frames of a second.
  uint32_t m_nSecondCount = 0;

 private:
  // A computer character whose HP ran out, through the kill routine: with
  // the project's dying display it stays listed (dead) for its dying
  // animation unless the stage was cleared, otherwise it leaves at once.
  // `it` moves past it; the kill routine's result.
  int SettleCharaDeath(cCharaList::iterator& it);
  // A computer character killed by its move (a fatal block, crushed,
  // squeezed): system sound 9 and the kill routine; it stays listed, dead,
  // for its dying display unless the stage was cleared. `it` moves past it;
  // the kill routine's result.
  int KillMovedChara(cCharaList::iterator& it);
  // The phases of HitGroups.
  // Shots are tested against characters in every sub-step, or in those of
  // the schedule when the stage gives a number of hits a frame.
  bool ShotsHitThisSubStep() const;
  int HitCharasWithShots();
  int HitCharasWithCharas();
  // Shootable shots against the shots of other factions: the weaker goes.
  void HitShotsWithShots();
  // A shot whose hit rectangle meets a character's box B, which it has not
  // hit yet: trigger 7; with power, impact or an item, and the character
  // not invincible, the damage (a death resolved, else invincibility), the
  // shot's fate (bVanish for a bullet that does not pierce) and its item
  // applied to the hero.
  int ShotHits(cShot& shot, cChara& k, bool& bVanish);
  // Two characters of different factions whose contact areas overlap:
  // trigger 4 on both, then each hit by the other (when it has power or
  // impact and it is not immune) and the hits acted on.
  int TouchCharas(cChara& o, cChara& q);
  // After a character was hit by a character: a death resolved (sound 9
  // for a computer character), or immunity against the attacker.
  int AfterCharaHit(cChara& target, int bDied, int nAttackerId);
  // Takes a listed shot out of its faction list and its target's list.
  void UnlistShot(cShot& shot);
  // The faction list a character belongs in.
  cCharaPtrList& FactionList(const cChara& chara);
  // Forgets the character's id, unless a later character holds it.
  void UnregisterChara(const cChara& chara);

  // The next object ids of characters, items and shots (they only grow
  // within an attempt) and the next picture serial number.
  int32_t m_nNextId = 0;
  int32_t m_nNextItemId = 0;
  int32_t m_nNextShotId = 0;
  uint32_t m_nNextPictureSerial = 0;
  uint32_t m_nNextMessageSerial = 0;
  cCharaList m_CharaList;
  std::vector<cCharaPtrList> m_vFactionChara;  // kFactions lists
  std::vector<cComChara*> m_vBlockCharas;      // see BlockCharas
  bool m_bBlockCharasStale = true;
  cItemList m_ItemList;
  cShotList m_ShotList;
  cCheckedVector<cShotPtrList> m_vFactionShot;  // kFactions lists
  // The listed computer characters by object id.
  std::unordered_map<int32_t, cChara*> m_CharaById;
};

// Applies an item to the hero: nothing (0) for no item, an item without a
// picture, one of pickup mode 2 or one that has not appeared; otherwise its
// picture pops up (with its pop-up switch), its sound plays and the hero
// runs its command list: 2 when the hero's HP fell below 1, else the first
// non-zero command result (1 stage clear), else 0.
int ApplyItemToHero(const cItem* lpItem, cPlayer& hero);
// A dying character's carried item goes to the hero as if the hero had
// touched it: ApplyItemToHero's result, 0 when the character carries none
// (or the scene has no hero).
int DropCarriedItem(cChara& chara);
