#include "play/play_digest.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
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

// FNV-1a over the bytes of the values, so that a field sums up many objects
// and still changes with any bit of any of them.
class cHash {
 public:
  template <class T>
  void Add(const T& value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (const unsigned char b : bytes) m_nHash = (m_nHash ^ b) * 16777619u;
  }
  uint32_t Value() const { return m_nHash; }

 private:
  uint32_t m_nHash = 2166136261u;
};

// The items' state: id, position, whether it has appeared and is on
// screen, and the lifetime left, of each item in list order.
uint32_t ItemsHash(const cItemList& items) {
  cHash hash;
  for (const cItem& item : items) {
    hash.Add(item.m_nId);
    hash.Add(item.m_dX);
    hash.Add(item.m_dY);
    hash.Add(item.m_bAppeared);
    hash.Add(item.m_bOnScreen);
    hash.Add(item.m_nLifetime);
  }
  return hash.Value();
}

// The computer characters' state: id, position, HP, whether each has
// appeared, is active and is dead, in list order.
uint32_t CharasHash(const cCharaList& charas) {
  cHash hash;
  for (const std::unique_ptr<cComChara>& lpChara : charas) {
    const cComChara& c = *lpChara;
    hash.Add(c.m_nId);
    hash.Add(c.m_dX);
    hash.Add(c.m_dY);
    hash.Add(c.m_nHp);
    hash.Add(c.m_bAppeared);
    hash.Add(c.IsActive());
    hash.Add(c.m_bDead);
  }
  return hash.Value();
}

// The shots' state: id, position and velocity, in list order.
uint32_t ShotsHash(const cShotList& shots) {
  cHash hash;
  for (const cShot& shot : shots) {
    hash.Add(shot.m_nId);
    hash.Add(shot.m_dX);
    hash.Add(shot.m_dY);
    hash.Add(shot.m_dVX);
    hash.Add(shot.m_dVY);
  }
  return hash.Value();
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
    std::string strTouched;
    for (const int32_t nId : hero.m_TouchedIds)
      strTouched += (strTouched.empty() ? "" : ",") + std::to_string(nId);
    Append(s, "touched", "%s", strTouched.empty() ? "-" : strTouched.c_str());
  }
  Append(s, "score", "%d", g_PlayData.m_nGameScore);
  Append(s, "stagescore", "%d", g_PlayData.m_nScore);
  Append(s, "lives", "%d", g_PlayData.m_nLives);
  Append(s, "time", "%d", scene.m_nTimeLeft);
  Append(s, "sx", "%a", scene.m_ScrollX.m_dPos);
  Append(s, "sy", "%a", scene.m_ScrollY.m_dPos);
  Append(s, "charas", "%zu", scene.CharaList().size());
  Append(s, "items", "%zu", scene.ItemList().size());
  Append(s, "itemstate", "%08x", ItemsHash(scene.ItemList()));
  Append(s, "messages", "%zu", scene.m_MessageList.size());
  Append(s, "charastate", "%08x", CharasHash(scene.CharaList()));
  Append(s, "shots", "%zu", scene.ShotList().size());
  Append(s, "shotstate", "%08x", ShotsHash(scene.ShotList()));
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
