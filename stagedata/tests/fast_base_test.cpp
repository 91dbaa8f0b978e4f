// The registration-free base-part reader against the framework's own: the
// same bytes must give the same members, the same position and the same
// failure.

#include <gtest/gtest.h>

#include "stagedata/chara.h"
#include "stagedata/fast_base.h"
#include "stagedata/tests/stage_test_util.h"
#include "testing/game_folder.h"
#include "testing/record_bytes.h"

namespace {

template <class T>
void ExpectSameAsFramework(const std::string& bytes, int nVersion) {
  g_nFileVersion = nVersion;
  T viaFramework, viaLayout;
  cRecordReader a(bytes, "a"), b(bytes, "b");
  viaFramework.cRecord::Load(a);
  LoadBasePart(viaLayout, b);
  EXPECT_EQ(a.Failed(), b.Failed());
  EXPECT_EQ(a.Position(), b.Position());
  // Compare every registered member through the records' own file form.
  g_nFileVersion = DATA_VERSION;
  cRecordWriter wa, wb;
  viaFramework.cRecord::Save(wa);
  viaLayout.cRecord::Save(wb);
  EXPECT_EQ(wa.Data(), wb.Data());
}

TEST(FastBaseTest, ReadsWhatTheFrameworkReads) {
  cTestGameFolder folder;
  cStageGlobalsGuard guard;
  auto block = [](uint32_t nFields, uint32_t nStrings, const char* pszName) {
    cRecordBytes b;
    b.Fields(nFields);
    for (uint32_t i = 0; i < nFields; ++i) b.u8(static_cast<uint8_t>(i + 1)).u8(0x80);  // 2 bytes each
    b.Strings(nStrings);
    for (uint32_t i = 0; i < nStrings; ++i) b.str(pszName);
    return b.Bytes();
  };
  struct Case {
    const char* pszWhat;
    std::string bytes;
  } const cases[] = {
      {"all fields", block(18, 1, "ブロック")},
      {"fewer fields", block(9, 1, "a")},
      {"more fields than registered", block(19, 1, "a")},
      {"more strings than registered", block(18, 2, "a")},
      {"no strings", block(18, 0, "")},
      {"cut inside the fields", block(18, 1, "a").substr(0, 20)},
      {"cut inside the name", block(18, 1, "abcdef").substr(0, block(18, 1, "abcdef").size() - 3)},
      {"carriage returns", block(18, 1, "a\r\nb")},
  };
  for (int bStripCR : {0, 1}) {
    g_bStripCR = bStripCR;
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.pszWhat << " strip " << bStripCR);
      ExpectSameAsFramework<cEdBlock>(c.bytes, DATA_VERSION);
    }
  }
  g_bStripCR = 0;
  // A class whose layout depends on the version.
  cEdChara chara;
  chara.m_nMaxHp = 1234;
  chara.m_nDefence = 56;
  for (int nVersion : {150, 200, 695}) {
    SCOPED_TRACE(nVersion);
    ExpectSameAsFramework<cEdChara>(RecordBytes(chara, cStageRefs(), nVersion), nVersion);
  }
}

}  // namespace
