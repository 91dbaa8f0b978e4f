#pragma once
// The messages of the play scene: the text window of a メッセージ, the icon of
// an item that pops up above the hero, the one-up icon of an extra life, and
// the invisible timer of a ゲームウエイト. The scene lists them and calls
// Update on each once per drawn frame, after the effects; a result of 1
// removes it.
//
// A text window renders its text once into a surface of its own and copies
// that surface every frame; the text is rendered again only when it is
// built, when a refresh finds its substituted text changed, or when the
// surface was lost. The surface belongs to the message alone: a message is
// never copied, and a surface is released with its message or when the
// window ends.

#include <cstdint>
#include <string>

#include "platform/draw/surface/dd_surface.h"

enum : int {
  MSGKIND_TIMER = 0,
  MSGKIND_TEXT = 1,
  MSGKIND_ICON = 2,
  MSGKIND_ONEUP = 3,
};

// Where a message stands.
enum : int {
  MSGPOS_SCREEN_CENTRE = 0,
  MSGPOS_ABOVE_SELF = 1,
  MSGPOS_BELOW_SELF = 2,
  MSGPOS_CENTRE_SELF = 3,
  MSGPOS_ABOVE_HERO = 4,
  MSGPOS_BELOW_HERO = 5,
  MSGPOS_CENTRE_HERO = 6,
  MSGPOS_SCREEN_CELL = 7,
  MSGPOS_STAGE_CELL = 8,
};

// How long a message stays.
enum : int {
  MSGDISPLAY_KEY = 0,    // until the command that showed it takes it away (a key wait)
  MSGDISPLAY_STAGE = 1,  // until the stage ends
  MSGDISPLAY_TIME = 2,   // for its countdown
};

// The settings a message is made from.
struct MESSAGESETUP {
  int nKind = MSGKIND_TIMER;
  std::string strText = {};
  int nIconKind = 0;  // kind 2: the graphic drawn as a 16 x 16 icon
  int nIconGraphic = 0;
  int nIconCell = 0;
  int nPosition = MSGPOS_SCREEN_CENTRE;
  int nCellX = 0;  // positions 7 and 8
  int nCellY = 0;
  int nOffsetX = 0;  // added in every position
  int nOffsetY = 0;
  int bKeepOnScreen = 0;
  // Positions other than 0 and 7: stays where it first appeared on the
  // screen. Positions 0 and 7 without it: scrolls with the stage.
  int bFixOnScreen = 0;
  int nDisplayMode = MSGDISPLAY_KEY;
  int nCountdown = 0;  // frames, display mode 2
  int bStopsGame = 0;  // the reason the game stands still: counts down in frozen frames
  int nAnchorId = 0;   // object id of the character positions 1 to 6 follow
  int bChained = 0;    // follows a key-wait window: no opening animation
  int bSubstitute = 0;
  int bRefresh = 0;          // substitute again while shown,
  int nRefreshInterval = 0;  // every that many frames
  int bWindowFrame = 0;      // the text stands in a window box
  int bHasId = 0;
  int nId = 0;
};

// The largest side of a text window; a text measured larger is cut to it.
inline constexpr int kMaxMessageSide = 2048;

class cMessage {
 public:
  explicit cMessage(const MESSAGESETUP& setup);
  ~cMessage();
  cMessage(const cMessage&) = delete;
  cMessage& operator=(const cMessage&) = delete;

  // Sets the message up; a text window makes its surface (unless bReinit)
  // and renders its text.
  void Init(const MESSAGESETUP& setup, int bReinit);
  // Init with new settings into the window's surface (of the same size).
  void Reinit(const MESSAGESETUP& setup) { Init(setup, 1); }
  // One drawn frame on lpTarget: 0 while the message stays, 1 when it has
  // ended (its surface is released then).
  int Update(DDSURFACEDATA* lpTarget, int bFrozen);
  // Draws the text into the surface.
  void Render(DDSURFACEDATA* lpSurface);
  // The surface of the window's size; a close request when it cannot be made.
  void CreateSurface();
  void ReleaseSurface();
  bool HasSurface() const { return m_Surface.lpDT != nullptr || m_Surface.lpDDraw != nullptr; }

  DDSURFACEDATA m_Surface;
  int32_t m_nKind = MSGKIND_TIMER;
  std::string m_strText;    // as shown, after substitution
  std::string m_strSource;  // as given; substitution starts from it
  int32_t m_nIconKind = 0;
  int32_t m_nIconGraphic = 0;
  int32_t m_nIconCell = 0;
  int32_t m_bSubstitute = 0;
  int32_t m_bRefresh = 0;
  int32_t m_nRefreshInterval = 0;
  int32_t m_bWindowFrame = 0;
  int32_t m_nPosition = 0;
  int32_t m_nCellX = 0;
  int32_t m_nCellY = 0;
  int32_t m_nOffsetX = 0;
  int32_t m_nOffsetY = 0;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_bKeepOnScreen = 0;
  int32_t m_nDisplayMode = MSGDISPLAY_KEY;
  int32_t m_bFixOnScreen = 0;
  int32_t m_nScreenX = 0;  // where the last frame showed it
  int32_t m_nScreenY = 0;
  int32_t m_bPlaced = 0;  // the stored position is set
  int32_t m_nPlacedX = 0;
  int32_t m_nPlacedY = 0;
  int32_t m_bHasId = 0;
  int32_t m_nId = 0;
  int32_t m_nAnchorId = 0;
  int32_t m_nCountdown = 0;
  int32_t m_bStopsGame = 0;
  int32_t m_bOpening = 0;
  double m_dOpening = 0.0;
  uint32_t m_nSerial = 0;  // given by the play scene: how a command finds it again
  int32_t m_bEnded = 0;    // over, but listed until the next frame of play
  int32_t m_nRenders = 0;  // texts rendered into the surface so far

 private:
  // The screen position of this frame; false when the character the
  // message follows has gone.
  bool ScreenPosition(int& x, int& y);
};

// Replaces the variable references in the text: "#" then "C" (a common
// variable) or "S" (a stage variable) and its number 1 to 255, optionally
// "_" followed by a width digit, "P" (a plus sign) and "Z" (leading zeros);
// a "." right after a reference goes with it. A reference that names no
// variable stays as it is.
void SubstituteVariables(std::string& strText);
// The size of a text of several lines in font 1, each plus 2, at most
// kMaxMessageSide.
void MeasureText(int& nWidth, int& nHeight, const std::string& strText);
