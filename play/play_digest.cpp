#include "play/play_digest.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/base/random.h"
#include "play/play_scene.h"
#include "stagedata/progress/play_data.h"

namespace {

void Append(std::string& s, const char* pszName, const char* pszFormat, auto value) {
  char szValue[64];
  std::snprintf(szValue, sizeof(szValue), pszFormat, value);
  if (!s.empty()) s += ' ';
  s += pszName;
  s += '=';
  s += szValue;
}

// "name=value" fields of a digest, in order.
std::vector<std::string> Fields(const std::string& s) {
  std::vector<std::string> fields;
  size_t nStart = 0;
  while (nStart < s.size()) {
    size_t nEnd = s.find(' ', nStart);
    if (nEnd == std::string::npos) nEnd = s.size();
    fields.push_back(s.substr(nStart, nEnd - nStart));
    nStart = nEnd + 1;
  }
  return fields;
}

// The variables that are not 0, as "number:value" joined by commas; "-"
// when every one is 0.
std::string NonZero(const cCheckedVector<int32_t>& vars) {
  std::string s;
  for (size_t i = 0; i < vars.size(); ++i) {
    if (vars[i] == 0) continue;
    if (!s.empty()) s += ',';
    s += std::to_string(i) + ':' + std::to_string(vars[i]);
  }
  return s.empty() ? "-" : s;
}

}  // namespace

std::string PlayDigest(const cPlayScene& scene) {
  std::string s;
  Append(s, "frame", "%d", scene.m_nFrame);
  Append(s, "state", "%d", scene.m_nState);
  if (!scene.Player.empty()) {
    const cPlayer& hero = scene.Player.front();
    Append(s, "x", "%a", hero.m_dX);
    Append(s, "y", "%a", hero.m_dY);
    Append(s, "vx", "%a", hero.m_dVX);
    Append(s, "vy", "%a", hero.m_dVY);
    char szLrud[8];
    std::snprintf(szLrud, sizeof(szLrud), "%d%d%d%d", hero.LRUD[0] != 0, hero.LRUD[1] != 0,
                  hero.LRUD[2] != 0, hero.LRUD[3] != 0);
    Append(s, "lrud", "%s", szLrud);
    Append(s, "hp", "%d", hero.m_nHp);
    Append(s, "sp", "%d", hero.m_nSp);
    Append(s, "dead", "%d", hero.m_bDead);
  }
  Append(s, "score", "%d", g_PlayData.m_nGameScore);
  Append(s, "stagescore", "%d", g_PlayData.m_nScore);
  Append(s, "lives", "%d", g_PlayData.m_nLives);
  Append(s, "time", "%d", scene.m_nTimeLeft);
  Append(s, "sx", "%a", scene.m_ScrollX.m_dPos);
  Append(s, "sy", "%a", scene.m_ScrollY.m_dPos);
  Append(s, "charas", "%zu", scene.CharaList().size());
  Append(s, "cvars", "%s", NonZero(g_PlayData.m_CommonVars).c_str());
  Append(s, "svars", "%s", NonZero(scene.m_vStageVar).c_str());
  Append(s, "rand", "%08x", GetRandSeed());
  return s;
}

std::string FirstDigestDifference(const std::string& strA, const std::string& strB) {
  if (strA == strB) return std::string();
  const std::vector<std::string> a = Fields(strA);
  const std::vector<std::string> b = Fields(strB);
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const std::string fa = i < a.size() ? a[i] : std::string();
    const std::string fb = i < b.size() ? b[i] : std::string();
    if (fa == fb) continue;
    const std::string& any = fa.empty() ? fb : fa;
    const size_t nEq = any.find('=');
    const std::string strName = any.substr(0, nEq);
    auto value = [](const std::string& f) {
      const size_t n = f.find('=');
      return n == std::string::npos ? std::string("(none)") : f.substr(n + 1);
    };
    return strName + ": " + value(fa) + " / " + value(fb);
  }
  return std::string();
}
