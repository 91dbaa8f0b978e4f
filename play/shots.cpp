// The shots of the play scene: the shot list and the faction lists, which
// change together, the sub-step of every shot and the drawing of one depth
// layer.
//
// Shots lie in a std::list, so that a shot fired while another walk holds a
// shot (a death flow run from the hit tests) leaves every listed shot where
// it is; a shot leaves only through RemoveShot, whose result the walks go
// on from. Each listed shot knows its place in both lists, so a removal
// from either walk costs the same. Drawing never removes one.

#include <algorithm>

#include "app/base/report_log.h"
#include "app/core/surface_tables.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"

cShot* cPlayScene::AddShot(const cShot& shot) {
  if (m_ShotList.size() >= kMaxLiveShots) {
    ReportShotFault(kShotReportCap, "the stage holds %d shots: further shots are left out",
                    static_cast<int>(kMaxLiveShots));
    return nullptr;
  }
  cShot& listed = m_ShotList.emplace_back(shot);
  // The checked access reports a faction past the lists and gives list 0.
  const int nFaction = listed.m_Settings.m_nFaction;
  cShotPtrList& faction = m_vFactionShot.At(nFaction);
  listed.m_Place.nFaction = static_cast<size_t>(nFaction) < m_vFactionShot.size() ? nFaction : 0;
  listed.m_Place.itShot = std::prev(m_ShotList.end());
  listed.m_Place.itFaction = faction.insert(faction.end(), &listed);
  listed.m_vHitIds.clear();
  ++m_nNextShotId;
  return &listed;
}

void cPlayScene::EnterAimedShot(cShot& shot) {
  cChara* lpTarget = shot.m_nTargetId >= 0 ? FindCharaById(shot.m_nTargetId) : nullptr;
  if (lpTarget == nullptr) return;
  std::vector<int32_t>& shots = lpTarget->m_vShots;
  if (std::find(shots.begin(), shots.end(), shot.m_nId) == shots.end()) shots.push_back(shot.m_nId);
}

void cPlayScene::UnlistShot(cShot& shot) {
  if (shot.m_Place.nFaction >= 0) {
    m_vFactionShot[static_cast<size_t>(shot.m_Place.nFaction)].erase(shot.m_Place.itFaction);
    shot.m_Place.nFaction = -1;
  }
  if (cChara* lpTarget = shot.m_nTargetId >= 0 ? FindCharaById(shot.m_nTargetId) : nullptr)
    std::erase(lpTarget->m_vShots, shot.m_nId);
}

cShotList::iterator cPlayScene::RemoveShot(cShotList::const_iterator it) {
  UnlistShot(const_cast<cShot&>(*it));
  return m_ShotList.erase(it);
}

cShotPtrList::iterator cPlayScene::RemoveShot(cShot& shot) {
  const cShotPtrList::iterator itNext = std::next(shot.m_Place.itFaction);
  const cShotList::iterator itShot = shot.m_Place.itShot;
  UnlistShot(shot);
  m_ShotList.erase(itShot);
  return itNext;
}

void cPlayScene::ClearShots() {
  m_vFactionShot.assign(kFactions, cShotPtrList());
  m_ShotList.clear();
  m_nShotReports = 0;
}

const cShotPtrList& cPlayScene::FactionShots(int nFaction) const {
  return m_vFactionShot[static_cast<size_t>(nFaction & (kFactions - 1))];
}

void cPlayScene::ForgetShotTarget(int nCharaId) {
  for (cShot& shot : m_ShotList)
    if (shot.m_nTargetId == nCharaId) shot.m_nTargetId = -1;
}

void cPlayScene::StepShots(int nSubStep) {
  for (auto it = m_ShotList.begin(); it != m_ShotList.end();) {
    cShot& shot = *it;
    if (shot.Update()) {
      it = RemoveShot(it);
      continue;
    }
    shot.ApplyGravity();
    shot.StepY();
    shot.StepX();
    // The erase area of the shots of the hero's kind, or of the others'.
    const cEdEraseArea& area =
        shot.m_nKind == OBJKIND_PLAYER ? g_Stage.m_EraseShot0 : g_Stage.m_EraseShot1;
    if ((nSubStep == 1 && shot.IsOutsideArea(area)) || shot.HitsBlock())
      it = RemoveShot(it);
    else
      ++it;
  }
}

void cPlayScene::DrawShots(int nLayer, int nLayers, int bFrozen) {
  DDBeginBatch(0);
  for (cShot& shot : m_ShotList) {
    if (nLayers != 1 && nLayer != shot.m_nLayer) continue;
    if (!shot.IsOnScreen()) continue;
    shot.UpdateScreenRect();
    shot.Draw(&g_BackBufferSD, bFrozen);
  }
  DDEndBatch();
}
