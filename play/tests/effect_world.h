#pragma once
// A stage in play with a few Effect and Picture rows and their bitmaps, for
// the tests of effects and pictures. Effect 1: "bmp\Spark.bmp", cells of
// 32 x 16 (cell 0 in palette colour 60, cell 1 in 61), one tenth each, so
// 12 frames. Effect 2: no frames. Effect 3: cells of 33 x 20 that grow with
// the attacker's scale, one frame. Picture 1: 24 x 8 in colour 70; picture
// 2: 10 x 10 in colour 71; picture 3: a file that does not exist.

#include <string>

#include "records/database.h"
#include "testing/play_world.h"

inline constexpr int kSparkColour = 60;
inline constexpr int kPictureColour = 70;
inline constexpr int kSmallPictureColour = 71;

class cEffectWorld {
 public:
  explicit cEffectWorld(int nLevel = 1, bool bGpu = false)
      : m_world({.rows = {"H" + std::string(40, '.'), std::string(41, '#')},
                 .nLevel = nLevel,
                 .bGpu = bGpu}) {
    cTestGameFolder& folder = m_world.Folder();
    folder.WriteFile("bmp\\Spark.bmp", WorldBitmap(64, 16, [](int x, int) {
                       return x < 32 ? uint32_t{kSparkColour} : uint32_t{kSparkColour + 1};
                     }));
    folder.WriteFile("bmp\\Big.bmp", WorldBitmap(33, 20, [](int, int) { return 62u; }));
    folder.WriteFile("bmp\\Pic.bmp",
                     WorldBitmap(24, 8, [](int, int) { return uint32_t{kPictureColour}; }));
    folder.WriteFile("bmp\\Small.bmp",
                     WorldBitmap(10, 10, [](int, int) { return uint32_t{kSmallPictureColour}; }));

    cCheckedVector<cEffectAnimDef>& effects = g_Database.m_Effect;
    effects.assign(4, cEffectAnimDef());
    effects[1].m_strBitmap = "bmp\\Spark.bmp";
    effects[1].m_nCellWidth = 32;
    effects[1].m_nCellHeight = 16;
    effects[1].m_Frames.resize(2);
    effects[1].m_Frames[0].m_nCell = 0;
    effects[1].m_Frames[1].m_nCell = 1;
    effects[2].m_strBitmap = "bmp\\Spark.bmp";
    effects[3].m_strBitmap = "bmp\\Big.bmp";
    effects[3].m_nCellWidth = 33;
    effects[3].m_nCellHeight = 20;
    effects[3].m_bScale = 1;
    effects[3].m_Frames.resize(1);
    cCheckedVector<cPictureDef>& pictures = g_Database.m_Picture;
    pictures.assign(4, cPictureDef());
    pictures[1].m_strFile = "bmp\\Pic.bmp";
    pictures[2].m_strFile = "bmp\\Small.bmp";
    pictures[3].m_strFile = "bmp\\Missing.bmp";
    BuildDatabaseTables();

    m_world.Start();
    m_bReady = m_world.m_bStarted && m_world.RunUntilPlay();
  }

  cPlayScene& Scene() { return m_world.Scene(); }
  cPlayer& Hero() { return *Scene().Hero(); }

  cPlayWorld m_world;
  bool m_bReady = false;
};
