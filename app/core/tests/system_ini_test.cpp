#include "app/core/system_ini.h"

#include <gtest/gtest.h>

#include <string>

#include "app/base/format.h"
#include "testing/game_folder.h"

namespace {

// The fields as one line, so that a row of the table states them all.
std::string Describe(const SYSTEMINIDATA& ini) {
  std::string s;
  FormatString(s, "D3D=%d WM=%d Bpp=%d VS=%d FC=%d/%d VST=%d Fps=%d En=%d Free=[%s]", ini.Direct3D,
               ini.WindowMode, ini.Bpp, ini.VSync, ini.D3D_FontCache, ini.DD_FontCache,
               ini.DD_VideoStretch, ini.ShowFps, ini.English, ini.FreeStage);
  return s;
}

// The option list of a fresh System record: Direct3D 2, WindowMode 0, Bpp 0,
// VSync 2, D3D_FontCache 0, DD_FontCache 1, DD_VideoStretch 0, ShowFps 1,
// FreeStage empty, English.
const std::string kDefaults = "D3D=2 WM=0 Bpp=0 VS=2 FC=0/1 VST=0 Fps=1 En=0 Free=[]";

struct INICASE {
  const char* pszName;
  std::string strFile;
  int nResult;
  std::string strExpected;
};

}  // namespace

TEST(SystemIni, ReadsKeysOverTheDefaultsOfTheOptionList) {
  const std::string n("\0", 1);
  const INICASE kCases[] = {
      {"every key",
       "Direct3D=0\nWindowMode=1\nBpp=32\nVSync=1\nD3D_FontCache=1\nDD_FontCache=0\n"
       "DD_VideoStretch=1\nShowFps=2\nEnglish=1\nFreeStage=data\\stg4\\a.stg4\nExit\n",
       1, "D3D=0 WM=1 Bpp=32 VS=1 FC=1/0 VST=1 Fps=2 En=1 Free=[data\\stg4\\a.stg4]"},
      {"a comment after the value", "WindowMode=1 // window\nExit\n", 1,
       "D3D=2 WM=1 Bpp=0 VS=2 FC=0/1 VST=0 Fps=1 En=0 Free=[]"},
      {"a space before the value ends it empty: the default stays", "VSync = 1\nExit\n", 1,
       kDefaults},
      {"keys are case-sensitive", "direct3d=0\nExit\n", 1, kDefaults},
      {"unknown keys and comment lines", "; settings\nSound=3\nExit\n", 1, kDefaults},
      {"not a number keeps the default", "Bpp=abc\nVSync=1x\nShowFps=99999999999\nExit\n", 1,
       kDefaults},
      {"signed numbers", "Bpp=+16\nWindowMode=-1\nExit\n", 1,
       "D3D=2 WM=-1 Bpp=16 VS=2 FC=0/1 VST=0 Fps=1 En=0 Free=[]"},
      {"a FreeStage of one character is ignored", "FreeStage=a\nExit\n", 1, kDefaults},
      {"CR LF line ends", "WindowMode=1\r\nFreeStage=b.stg4\r\nExit\r\n", 1,
       "D3D=2 WM=1 Bpp=0 VS=2 FC=0/1 VST=0 Fps=1 En=0 Free=[b.stg4]"},
      {"Exit in the middle ends the file", "Bpp=16\nExit\nBpp=32\n", 1,
       "D3D=2 WM=0 Bpp=16 VS=2 FC=0/1 VST=0 Fps=1 En=0 Free=[]"},
      {"a NUL byte ends the file", "Bpp=16\n" + n + "Bpp=32\n", 1,
       "D3D=2 WM=0 Bpp=16 VS=2 FC=0/1 VST=0 Fps=1 En=0 Free=[]"},
      {"no Exit line still reads", "Bpp=16\nWindowMode=1", 1,
       "D3D=2 WM=1 Bpp=16 VS=2 FC=0/1 VST=0 Fps=1 En=0 Free=[]"},
      {"an overlong key fails", std::string(2048, 'k') + "=1\nExit\n", 0, kDefaults},
      {"an overlong value fails", "FreeStage=" + std::string(2048, 'v') + "\nExit\n", 0, kDefaults},
      {"Shift-JIS in a value", "FreeStage=data\\stg4\\ステージ.stg4\nExit\n", 1,
       "D3D=2 WM=0 Bpp=0 VS=2 FC=0/1 VST=0 Fps=1 En=0 Free=[data\\stg4\\ステージ.stg4]"},
  };
  const cSystem system;
  for (const INICASE& c : kCases) {
    cTestGameFolder folder;
    folder.WriteFile("System.ini", c.strFile);
    SYSTEMINIDATA ini;
    SetSystemIniDefaults(ini, system.m_IniEntries);
    const int nResult = ReadSystemIni("System.ini", ini, system.m_IniEntries);
    // A failed read leaves what it read so far; the caller applies the
    // defaults again.
    if (nResult == 0) SetSystemIniDefaults(ini, system.m_IniEntries);
    EXPECT_EQ(nResult, c.nResult) << c.pszName;
    EXPECT_EQ(Describe(ini), c.strExpected) << c.pszName;
  }
}

TEST(SystemIni, AMissingFileFailsAndTheKeyNamesComeFromTheRecord) {
  cTestGameFolder folder;
  cSystem system;
  SYSTEMINIDATA ini;
  SetSystemIniDefaults(ini, system.m_IniEntries);
  EXPECT_EQ(ReadSystemIni("System.ini", ini, system.m_IniEntries), 0);
  // A project that renamed a key and changed a default.
  system.m_IniEntries.At(2).SetInt("ColourDepth", 16);
  SetSystemIniDefaults(ini, system.m_IniEntries);
  EXPECT_EQ(ini.Bpp, 16);
  folder.WriteFile("System.ini", "Bpp=32\nColourDepth=8\nExit\n");
  EXPECT_EQ(ReadSystemIni("System.ini", ini, system.m_IniEntries), 1);
  EXPECT_EQ(ini.Bpp, 8);
}
