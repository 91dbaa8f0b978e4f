#pragma once
// The relative paths of every project and user file, the file extensions and
// the font faces a project may choose for its text fonts. All three tables
// are filled during static initialisation and never change.

#include <array>
#include <string>

inline constexpr int kDataPathCount = 48;
inline constexpr int kFileExtCount = 4;
inline constexpr int kFontFaceCount = 123;

// Indexes of g_DataPath that the player reads.
enum : int {
  DATAPATH_DATA = 0,     // "data\"
  DATAPATH_DEFAULT = 1,  // "default\"
  DATAPATH_COMMON_PALETTE = 7,
  DATAPATH_WORLD_MAP = 13,
  DATAPATH_DATABASE_FIRST = 15,  // the ten tables: 15, 17, ..., 33
  DATAPATH_SYSTEM = 35,
  DATAPATH_CHALLENGE_STAGE = 37,  // prefix, completed as "%s%02d-1.%s"
  DATAPATH_RANKING_STORY = 38,    // 38 + play mode (0 story, 1 challenge, 2 free)
  DATAPATH_STORY_SLOT = 41,       // prefix of the story save slots
  DATAPATH_CHALLENGE_PROGRESS = 42,
  DATAPATH_OPTION = 43,
  DATAPATH_USER_DATA = 44,
  DATAPATH_KEY_CONFIG = 45,
  DATAPATH_BOOT = 46,
  DATAPATH_WINDOW = 47,
};

// Indexes of g_szFileExt.
enum : int {
  FILEEXT_COMMON_PALETTE = 0,
  FILEEXT_STAGE = 1,
  FILEEXT_PALETTE = 2,
  FILEEXT_RANKING = 3
};

// The default text font face: "ＭＳ Ｐゴシック".
inline constexpr int kDefaultFontFace = 60;

extern const std::array<std::string, kDataPathCount> g_DataPath;
extern const std::array<std::string, kFileExtCount> g_szFileExt;
// Face names in CP932; the last entry is empty.
extern const std::array<std::string, kFontFaceCount> g_szFontFace;

// Makes sure "data\" exists. With "data\" present: 1 without asking. Without
// "default\": 0. Otherwise asks whether to create it; on yes copies
// "default\" to "data\" and returns 1. The copy goes to a temporary sibling
// that is renamed to "data\" only when complete, so a failed copy leaves no
// "data\" behind (0).
int CreateDefaultData();
