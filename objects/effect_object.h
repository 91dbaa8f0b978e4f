#pragma once
// The animations and pictures that play in a stage on their own: an effect
// (one run of an Effect table animation at a stage position, shown by a
// flow or as the spark of a hit) and a picture of the Picture table shown
// by a flow. The play scene keeps them in two lists, draws them every frame
// and drops each once its Draw reports its end.
//
// Frozen frames (menus, banners, the nested loops of commands that stop
// the game) draw an effect or a picture without advancing it, unless it is
// the one that stops the game: that one runs on, and a countdown picture
// may end in a frozen frame.

#include <cstdint>

#include "objects/game_object.h"
#include "platform/draw/surface/dd_surface.h"
#include "records/anime_pattern.h"

class cEffectAnimDef;

class cEffectObject {
 public:
  cEffectObject() = default;
  // The エフェクトの実行 command's effect: number n at stage position (x, y),
  // drawn w x h; bStopsGame: it is why the game stands still and plays on in
  // frozen frames.
  cEffectObject(int nEffect, double x, double y, int nWidth, int nHeight, int bStopsGame);

  // Makes this the spark of a hit: effect n centred on the overlap of the
  // damaged character's box and the attacker's (the stage origin when they
  // do not overlap), scattered by the game's generator up to 4 x k pixels
  // on each axis, and k times the cell size when the row grows with the
  // attacker's scale k.
  void CreateHitEffect(int nEffect, const DRECT& box1, const DRECT& box2, int nScale);
  // The effect's frames from the start.
  void LoadPattern(int nEffect);
  // Draws the current frame; 1 when the effect is over (its last frame was
  // shown before, or it has none).
  int Draw(DDSURFACEDATA* lpTarget, int bFrozen);

  // The frames of all of a row's steps (tenths x 6 each), the time an effect
  // that stops the game holds it; 0 .. INT32_MAX.
  static int32_t Length(int nEffect);

  int32_t m_nEffect = 0;  // its low 16 bits, signed, are the Effect row
  double m_dX = 0.0;      // stage position of the top-left corner
  double m_dY = 0.0;
  int32_t m_nWidth = 0;  // drawn size
  int32_t m_nHeight = 0;
  int32_t m_bScaled = 0;  // drawn stretched from the cell size
  cAnimePattern m_Anime;  // pattern 0: the row's frames
  int32_t m_bStopsGame = 0;
  // Over, but still listed: a frozen frame found it over and leaves the
  // unlinking to the next frame of play.
  int32_t m_bEnded = 0;

 private:
  int Row() const { return static_cast<int16_t>(m_nEffect); }
};

// How a picture is shown (the command's parameters).
enum : int {
  PICDISPLAY_KEY = 0,    // until the decide key (while it stops the game)
  PICDISPLAY_STAGE = 1,  // until the stage ends
  PICDISPLAY_TIME = 2,   // for its countdown
};

struct PICTURESETUP {
  int nPicture = 0;
  double dX = 0.0;  // stage position of the top-left corner
  double dY = 0.0;
  int nWidth = 0;  // drawn size
  int nHeight = 0;
  int bFixOnScreen = 0;  // stays where it was first drawn on the screen
  int nLayer = 0;        // 0 behind the map cells, 1 in front of everything in the stage
  int nSizePercent = 100;
  int nDisplayMode = PICDISPLAY_KEY;
  int nCountdown = 0;  // frames, display mode 2
  int bStopsGame = 0;
  int bHasId = 0;
  int nId = 0;
};

// A picture owns its surface: it is released with the picture. Pictures
// live in a list and never move.
class cPictureObject {
 public:
  cPictureObject(const PICTURESETUP& setup, DDSURFACEDATA&& surface);
  ~cPictureObject();
  cPictureObject(const cPictureObject&) = delete;
  cPictureObject& operator=(const cPictureObject&) = delete;

  // Draws the picture; 1 when its countdown has run out.
  int Draw(DDSURFACEDATA* lpTarget, int bFrozen);

  DDSURFACEDATA m_Surface;
  int32_t m_nPicture = 0;
  double m_dX = 0.0;
  double m_dY = 0.0;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_bScaled = 0;  // the size percent was not 100
  int32_t m_nLayer = 0;
  int32_t m_nDisplayMode = PICDISPLAY_KEY;
  int32_t m_nCountdown = 0;
  int32_t m_bStopsGame = 0;
  int32_t m_bFixOnScreen = 0;
  int32_t m_bPlaced = 0;  // the screen position of a fixed picture is kept
  int32_t m_nScreenX = 0;
  int32_t m_nScreenY = 0;
  int32_t m_bHasId = 0;
  int32_t m_nId = 0;
  uint32_t m_nSerial = 0;  // given by the play scene: how a command finds it again
  int32_t m_bEnded = 0;    // as cEffectObject's
};
