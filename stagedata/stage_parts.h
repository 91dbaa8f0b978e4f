#pragma once
// The small records a stage holds besides its map: background layers, text
// lines and the rules that erase objects which have left the view.

#include <cstdint>
#include <string>
#include <vector>

#include "app/base/checked_containers.h"
#include "records/record.h"

// One background picture or colour fill, behind the map or in front of all.
class cEdBgLayer : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cEdBgLayer, 112);
  cEdBgLayer() { SetDefaults(); }
  cEdBgLayer(const cEdBgLayer& other) = default;
  cEdBgLayer& operator=(const cEdBgLayer& other) = default;
  ~cEdBgLayer() override = default;

  void RegisterFields(int nVersion) override;
  void SetDefaults();
  // Factors and offsets that are no finite number get their defaults.
  void RepairNumbers();

  int32_t m_bVisible = 1;
  int32_t m_bFill = 0;  // a plain fill of m_nFillColour instead of a bitmap
  int32_t m_nFillColour = 16;
  int32_t m_bFront = 0;    // 0 behind the map, 1 in front of everything
  double m_dSpeedX = 0.1;  // parallax factor, or pixels per frame when self-scrolling
  double m_dSpeedY = 0.1;
  int32_t m_bAutoScrollX = 0;
  int32_t m_bAutoScrollY = 0;
  std::string m_strBitmap;
  double m_dOffsetX = 0;  // running offset of a self-scrolling layer
  double m_dOffsetY = 0;
};

// A text line stored with the stage; kept and copied, never shown.
class cEdStageText : public cRecord {
 public:
  cEdStageText() {}
  cEdStageText(const cEdStageText& other) = default;
  cEdStageText& operator=(const cEdStageText& other) = default;
  ~cEdStageText() override = default;

  void RegisterFields(int nVersion) override;

  std::string m_strText;
};

// When an object that has left the view is removed: per side a switch and a
// margin in cells beyond the view.
class cEdEraseArea : public cRecord {
 public:
  cEdEraseArea() {}
  cEdEraseArea(const cEdEraseArea& other) = default;
  cEdEraseArea& operator=(const cEdEraseArea& other) = default;
  ~cEdEraseArea() override = default;

  void RegisterFields(int nVersion) override;
  void Set(int32_t bLeft, int32_t bRight, int32_t bTop, int32_t bBottom, int32_t nLeft,
           int32_t nRight, int32_t nTop, int32_t nBottom);

  int32_t m_bLeft = 0;
  int32_t m_bRight = 0;   // from version 125
  int32_t m_bTop = 0;     // from version 125
  int32_t m_bBottom = 0;  // from version 125
  int32_t m_nLeft = 0;
  int32_t m_nRight = 0;
  int32_t m_nTop = 0;
  int32_t m_nBottom = 0;
};

// Makes target as long as source (new elements default, surplus removed) and
// copies every element's registered members.
cCheckedVector<cEdBgLayer>& AssignBgLayerList(cCheckedVector<cEdBgLayer>& target,
                                              const cCheckedVector<cEdBgLayer>& source);
cCheckedVector<cEdStageText>& AssignStageTextList(cCheckedVector<cEdStageText>& target,
                                                  const cCheckedVector<cEdStageText>& source);

// Smallest file form of each (count words only), for list count checks.
inline constexpr size_t kMinRecordBytes = 8;
