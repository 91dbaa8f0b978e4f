#pragma once
// The world map scene (scene 1), the hub of a story game: the hero stands in
// the middle of a map of 32-pixel cells and walks it cell by cell; events on
// the map show pictures and offer stages, and choosing a stage starts the
// play scene. Button 2 opens the game menu.

#include <cstdint>

#include "app/core/menu_cursor.h"
#include "app/core/scene.h"

class cEdWorldEvent;
class cEdWorldEntry;
struct DDSURFACEDATA;

// Where the hero is drawn: screen cell (9, 7).
inline constexpr int kHeroScreenX = 288;
inline constexpr int kHeroScreenY = 224;

// Facing of the hero.
enum : int { FACING_DOWN = 0, FACING_UP = 1, FACING_LEFT = 2, FACING_RIGHT = 3 };

class cWorldMapScene : public cScene {
 public:
  enum : int { STATE_FADEIN = 0, STATE_WALK = 1, STATE_CONFIRM = 2, STATE_FADEOUT = 3 };

  ~cWorldMapScene() override;
  void Run() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void Walk();
  void Confirm();

  // The first entry of the event that counts for the play data, or null.
  static cEdWorldEntry* ChooseEntry(cEdWorldEvent* lpEvent);
  static bool IsCleared(const cEdWorldEntry& entry);

  int m_nScrollX = 0;  // map cell in the screen's top-left cell
  int m_nScrollY = 0;
  cEdWorldEvent* m_lpEvent = nullptr;  // the event under the hero
  cEdWorldEntry* m_lpEntry = nullptr;  // its entry that counts
  int m_nFacing = FACING_DOWN;
  MENUCURSOR m_Saved;    // the cursor before the last step
  MENUCURSOR m_Arrival;  // where arrival at a stage was last processed
  int m_nBestScore = 0;  // of the stage under the hero
  bool m_bStageLoaded = false;
  DDSURFACEDATA* m_lpRanking = nullptr;  // the ranking of the stage under the hero

  // The scroll of the last map drawing and the hero's animation count, kept
  // between visits.
  static int s_nDrawnScrollX, s_nDrawnScrollY;
  static int s_nHeroAnime;

 private:
  MENUCURSOR& Hero() { return g_MenuCursor.Current(); }
  void ChooseEventAtHero();
  void Step(uint16_t wDir);
  void SetScroll();
  bool IsStageEntry() const;
  void Arrive();
  void OpenConfirmation();
  void CloseConfirmation();
  // Buttons 3 and 4: the ranking window and its genre.
  void RankingButtons(uint16_t wButtons);
  void StartStage();
  void DrawRanking();
  void DrawMap();
  void DrawFrame(bool bTexts);
};
