#include "records/record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "testing/game_folder.h"
#include "testing/record_bytes.h"
#include "testing/record_guard.h"

namespace {

// A nested element: one int and one string, with a byte-vector extra.
class cTestChild : public cRecord {
 public:
  cTestChild() { RegisterFields(DATA_VERSION); }
  void RegisterFields(int) override {
    ClearFieldLists();
    AddField(&m_nValue);
    AddString(&m_strLabel);
  }
  void Load(cRecordReader& file) override {
    cRecord::Load(file);
    ReadByteVector(m_abFlags, file);
  }
  void Save(cRecordWriter& file) override {
    cRecord::Save(file);
    SaveByteVector(m_abFlags, file);
  }
  int32_t m_nValue = 0;
  std::string m_strLabel;
  std::vector<uint8_t> m_abFlags;
};

// Fields of every width, a version-gated field, a retired field and extras.
//   m_nA      int32            always
//   (retired) int32            50 <= version < 80
//   m_nB      int16            from 100
//   m_cbC     uint8            always
//   m_dD      double           always
//   m_anE     int32[3]         from 120
//   m_strName string           always
//   m_strNote string           from 120
// Extras: int vector, string vector, vector of cTestChild (from 110).
class cTestRecord : public cRecord {
 public:
  cTestRecord() { RegisterFields(DATA_VERSION); }
  void RegisterFields(int nVersion) override {
    ClearFieldLists();
    AddField(&m_nA);
    if (nVersion >= 50 && nVersion < 80) AddRetiredField<int32_t>();
    if (nVersion >= 100) AddField(&m_nB);
    AddField(&m_cbC);
    AddField(&m_dD);
    if (nVersion >= 120) AddField(m_anE, 3);
    AddString(&m_strName);
    if (nVersion >= 120) AddString(&m_strNote);
  }
  void Load(cRecordReader& file) override {
    cRecord::Load(file);
    ReadIntVector(m_anList, file);
    ReadStringVector(m_Names, file);
    if (g_nFileVersion >= 110) ReadRecordVector(m_Children, file);
  }
  void Save(cRecordWriter& file) override {
    cRecord::Save(file);
    SaveIntVector(m_anList, file);
    SaveStringVector(m_Names, file);
    SaveRecordVector(m_Children, file);
  }

  int32_t m_nA = 11;
  int16_t m_nB = 22;
  uint8_t m_cbC = 33;
  double m_dD = 4.5;
  int32_t m_anE[3] = {7, 8, 9};
  std::string m_strName = "name";
  std::string m_strNote = "note";
  std::vector<int32_t> m_anList;
  std::vector<std::string> m_Names;
  std::vector<cTestChild> m_Children;
};

class cEmptyRecord : public cRecord {
 public:
  void RegisterFields(int) override { RegisterNothing(); }
};

class RecordTest : public ::testing::Test {
 protected:
  cRecordGlobalsGuard m_Guard;
  cTestGameFolder m_Folder;
};

cTestRecord MakeFilledRecord() {
  cTestRecord r;
  r.m_nA = -5;
  r.m_nB = -300;
  r.m_cbC = 250;
  r.m_dD = -0.125;
  r.m_anE[0] = 1;
  r.m_anE[1] = 2;
  r.m_anE[2] = 0x7FFFFFFF;
  r.m_strName = "ゲーム";
  r.m_strNote = "";
  r.m_anList = {3, -4};
  r.m_Names = {"", "x"};
  r.m_Children.resize(2);
  r.m_Children[0].m_nValue = 9;
  r.m_Children[0].m_strLabel = "c0";
  r.m_Children[0].m_abFlags = {1, 0, 2};
  return r;
}

// The bytes MakeFilledRecord must produce, built independently.
std::string ExpectedFilledBytes() {
  cRecordBytes b;
  b.u32(695);
  b.Fields(5).i32(-5).i16(-300).u8(250).f64(-0.125).i32(1).i32(2).i32(0x7FFFFFFF);
  b.Strings(2).str("ゲーム").str("");
  b.u32(2).i32(3).i32(-4);
  b.u32(2).str("").str("x");
  b.u32(2);
  b.IntRecord({9}, "c0").u32(3).u8(1).u8(0).u8(2);
  b.IntRecord({0}, "").u32(0);
  return b.Bytes();
}

TEST_F(RecordTest, SavesTheLayoutByteForByteAndReadsItBack) {
  cTestRecord r = MakeFilledRecord();
  ASSERT_TRUE(r.SaveToFile("t.dat"));
  const std::string strBytes = m_Folder.ReadFile("t.dat");
  EXPECT_EQ(strBytes, ExpectedFilledBytes());

  cTestRecord loaded;
  loaded.m_Children.resize(5);  // replaced, not appended to
  ASSERT_TRUE(loaded.LoadFromFile("t.dat"));
  EXPECT_EQ(g_nFileVersion, 695);
  EXPECT_EQ(loaded.m_nA, -5);
  EXPECT_EQ(loaded.m_nB, -300);
  EXPECT_EQ(loaded.m_cbC, 250);
  EXPECT_EQ(loaded.m_dD, -0.125);
  EXPECT_EQ(loaded.m_anE[2], 0x7FFFFFFF);
  EXPECT_EQ(loaded.m_strName, "ゲーム");
  EXPECT_EQ(loaded.m_strNote, "");
  EXPECT_EQ(loaded.m_anList, (std::vector<int32_t>{3, -4}));
  EXPECT_EQ(loaded.m_Names, (std::vector<std::string>{"", "x"}));
  ASSERT_EQ(loaded.m_Children.size(), 2u);
  EXPECT_EQ(loaded.m_Children[0].m_abFlags, (std::vector<uint8_t>{1, 0, 2}));

  ASSERT_TRUE(loaded.SaveToFile("t2.dat"));
  EXPECT_EQ(m_Folder.ReadFile("t2.dat"), strBytes);
}

TEST_F(RecordTest, ReadsOlderVersionsWithTheirLayout) {
  struct Case {
    int nVersion;
    cRecordBytes body;  // everything after the version word
    int32_t nA;
    int16_t nB;
    int32_t nE0;
    std::string strNote;
    size_t nChildren;
  };
  const cTestRecord defaults;
  std::vector<Case> cases;
  // 40: no retired field yet, no m_nB, no m_anE/m_strNote, no children.
  cases.push_back({40, cRecordBytes{}, 1, defaults.m_nB, defaults.m_anE[0], "note", 0});
  cases.back().body.Fields(3).i32(1).u8(2).f64(3.0).Strings(1).str("n").u32(0).u32(0);
  // 60: the retired int sits between m_nA and m_cbC and is dropped.
  cases.push_back({60, cRecordBytes{}, 1, defaults.m_nB, defaults.m_anE[0], "note", 0});
  cases.back().body.Fields(4).i32(1).i32(-999).u8(2).f64(3.0).Strings(1).str("n").u32(0).u32(0);
  // 100: m_nB appears.
  cases.push_back({100, cRecordBytes{}, 1, 5, defaults.m_anE[0], "note", 0});
  cases.back().body.Fields(4).i32(1).i16(5).u8(2).f64(3.0).Strings(1).str("n").u32(0).u32(0);
  // 110: children appear.
  cases.push_back({110, cRecordBytes{}, 1, 5, defaults.m_anE[0], "note", 1});
  cases.back().body.Fields(4).i32(1).i16(5).u8(2).f64(3.0).Strings(1).str("n").u32(0).u32(0);
  cases.back().body.u32(1).IntRecord({4}, "k").u32(0);
  // 120: the current layout.
  cases.push_back({120, cRecordBytes{}, 1, 5, 6, "nn", 0});
  cases.back().body.Fields(5).i32(1).i16(5).u8(2).f64(3.0).i32(6).i32(6).i32(6);
  cases.back().body.Strings(2).str("n").str("nn").u32(0).u32(0).u32(0);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.nVersion);
    cRecordBytes file;
    file.u32(static_cast<uint32_t>(c.nVersion)).Append(c.body);
    m_Folder.WriteFile("old.dat", file.Bytes());
    cTestRecord r;
    ASSERT_TRUE(r.LoadFromFile("old.dat"));
    EXPECT_EQ(g_nFileVersion, c.nVersion);
    EXPECT_EQ(r.m_nA, c.nA);
    EXPECT_EQ(r.m_nB, c.nB);
    EXPECT_EQ(r.m_cbC, 2);
    EXPECT_EQ(r.m_dD, 3.0);
    EXPECT_EQ(r.m_anE[0], c.nE0);
    EXPECT_EQ(r.m_strName, "n");
    EXPECT_EQ(r.m_strNote, c.strNote);
    EXPECT_EQ(r.m_Children.size(), c.nChildren);
    // After the load the lists describe the current layout.
    EXPECT_EQ(r.FieldList().size(), 5u);
    EXPECT_EQ(r.StringList().size(), 2u);
  }
}

// The fuzz targets' reset: the layouts described since the mark are freed and
// forgotten by the store and by this thread's index in front of it, so that
// a file read again at their version describes them anew (under ASan a
// pointer left to one of them is a use after free).
TEST_F(RecordTest, RestoringTheLayoutsForgetsThoseDescribedSinceTheMark) {
  cRecordBytes file;
  file.u32(61).Fields(4).i32(1).i32(-999).u8(2).f64(3.0).Strings(1).str("n").u32(0).u32(0);
  m_Folder.WriteFile("v61.dat", file.Bytes());
  MarkRecordLayouts();
  for (int nRound = 0; nRound < 2; ++nRound) {
    SCOPED_TRACE(nRound);
    {
      cTestRecord r;
      ASSERT_TRUE(r.LoadFromFile("v61.dat"));
      EXPECT_EQ(r.m_nA, 1);
      EXPECT_EQ(r.m_cbC, 2);
      EXPECT_EQ(r.m_strName, "n");
    }
    RestoreRecordLayouts();
  }
}

// A class with no extras, read as a list by ReadPlainRecordVector: each element
// must end as its own cRecord::Load leaves it (members, registration at the
// current version, the reader's position and fault), whatever the version.
class cPlainRecord : public cRecord {
 public:
  void RegisterFields(int nVersion) override {
    ClearFieldLists();
    AddField(&m_nA);
    if (nVersion >= 100) AddField(&m_nB);
    AddString(&m_strName);
  }
  int32_t m_nA = 1;
  int16_t m_nB = 2;
  std::string m_strName;
};

TEST_F(RecordTest, PlainRecordListsReadAsEachElementWould) {
  auto element = [](cRecordBytes& b, int nVersion, int i) {
    if (nVersion >= 100)
      b.Fields(2).i32(10 + i).i16(static_cast<int16_t>(20 + i));
    else
      b.Fields(1).i32(10 + i);
    b.Strings(1).str(i == 1 ? "a name longer than the short-string room" : "n");
  };
  for (int nVersion : {90, 100, DATA_VERSION}) {
    cRecordBytes whole;
    whole.u32(3);
    for (int i = 0; i < 3; ++i) element(whole, nVersion, i);
    const std::string bytes = whole.Bytes();
    for (size_t nCut : {bytes.size(), bytes.size() - 3, size_t{28}}) {
      SCOPED_TRACE(testing::Message() << "version " << nVersion << " cut " << nCut);
      g_nFileVersion = nVersion;
      std::vector<cPlainRecord> one, list(1);
      one.reserve(3);  // a moved record starts unregistered
      cRecordReader a(bytes.substr(0, nCut), "a"), b(bytes.substr(0, nCut), "b");
      for (uint32_t i = a.ReadU32(); i > 0 && !a.Failed(); --i) one.emplace_back().Load(a);
      ReadPlainRecordVector(list, b);
      EXPECT_EQ(a.Failed(), b.Failed());
      EXPECT_EQ(a.Position(), b.Position());
      ASSERT_EQ(list.size(), one.size());
      for (size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(list[i].m_nA, one[i].m_nA);
        EXPECT_EQ(list[i].m_nB, one[i].m_nB);
        EXPECT_EQ(list[i].m_strName, one[i].m_strName);
        EXPECT_EQ(list[i].FieldList().size(), one[i].FieldList().size());
      }
      // Every element read is registered at the current version.
      if (!list.empty()) {
        EXPECT_EQ(list[0].FieldList().size(), 2u);
      }
    }
  }
}

TEST_F(RecordTest, StringForms) {
  struct Case {
    const char* pszName;
    std::string strIn;
    std::string strStored;  // the bytes after the length word
    std::string strBack;    // the string after saving and loading
  };
  // A double-byte character straddling the cut: 5118 'a', then "あ".
  const std::string strLong = std::string(5118, 'a') + "あ" + "zz";
  const Case cases[] = {
      {"empty", "", "", ""},
      {"abc", "abc", std::string("abc\0", 4), "abc"},
      {"embedded NUL", std::string("ab\0cd", 5), std::string("ab\0", 3), "ab"},
      {"too long, cut on a character boundary", strLong,
       std::string(5118, 'a') + std::string(1, '\0'), std::string(5118, 'a')},
      {"5119 bytes kept", std::string(5119, 'b'), std::string(5119, 'b') + std::string(1, '\0'),
       std::string(5119, 'b')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszName);
    std::string str = c.strIn;
    cRecordWriter writer;
    WriteRecordString(str, writer);
    cRecordBytes expected;
    expected.u32(static_cast<uint32_t>(c.strStored.size() == 0 ? 1 : c.strStored.size()))
        .Append(c.strStored);
    EXPECT_EQ(writer.Data(), expected.Bytes());
    EXPECT_EQ(str, c.strBack);  // cut in the record itself

    cRecordReader reader(writer.Data());
    std::string strRead = "old";
    EXPECT_TRUE(ReadRecordString(strRead, reader));
    EXPECT_EQ(strRead, c.strBack);
    EXPECT_TRUE(reader.AtEnd());
  }
  // A stored length of 0 reads as the empty string; one without a NUL keeps
  // all its bytes.
  cRecordBytes b;
  b.u32(0).u32(2).Append("xy");
  cRecordReader reader(b.Bytes());
  std::string s1 = "old", s2;
  EXPECT_TRUE(ReadRecordString(s1, reader));
  EXPECT_TRUE(ReadRecordString(s2, reader));
  EXPECT_EQ(s1, "");
  EXPECT_EQ(s2, "xy");
}

TEST_F(RecordTest, StripsCarriageReturnsFromEveryStringWhenSwitchedOn) {
  for (int bStrip : {1, 0}) {
    SCOPED_TRACE(bStrip);
    g_bStripCR = bStrip;
    cRecordBytes b;
    b.u32(695).Fields(0).Strings(1).str("a\r\nb");
    m_Folder.WriteFile("cr.dat", b.u32(0).u32(0).u32(0).Bytes());
    cTestRecord r;
    r.m_strNote = "c\rd";  // not in the file, stripped all the same
    ASSERT_TRUE(r.LoadFromFile("cr.dat"));
    EXPECT_EQ(r.m_strName, bStrip ? "a\nb" : "a\r\nb");
    EXPECT_EQ(r.m_strNote, bStrip ? "cd" : "c\rd");
  }
}

class cOneString : public cRecord {
 public:
  void RegisterFields(int) override {
    ClearFieldLists();
    AddString(&m_str);
  }
  std::string m_str;
};

// Strings are scanned a word at a time for their NUL and for carriage
// returns: bytes that look alike in a word (NUL, CR, 0x01, 0x0E, 0xFF) at
// every length and place, at the very end of the data or followed by more,
// read as the plain rule says: the characters up to the first NUL, without
// CRs when stripping.
TEST_F(RecordTest, StringsReadLikeTheByteByByteRule) {
  std::mt19937 random(12345);
  const char kBytes[] = {'\0', '\r', 'a', '\x01', '\x0e', '\xff', '\x0d', '\x8d'};
  for (int nCase = 0; nCase < 4000; ++nCase) {
    const size_t nLength = 2 + random() % 23;  // a stored length of 1 is the empty string
    std::string strStored;
    for (size_t i = 0; i < nLength; ++i) strStored += kBytes[random() % sizeof kBytes];
    const bool bAtEnd = nCase % 2 == 0;
    std::string strExpected = strStored.substr(0, strStored.find('\0'));
    SCOPED_TRACE(::testing::PrintToString(strStored) + (bAtEnd ? " at the end" : ""));

    cRecordBytes b;
    b.u32(static_cast<uint32_t>(nLength)).Append(strStored);
    if (!bAtEnd) b.u32(0).u32(0xFFFFFFFFu);
    {
      cRecordReader reader(b.Bytes());
      std::string str = "old";
      ASSERT_TRUE(ReadRecordString(str, reader));
      EXPECT_EQ(str, strExpected);
    }
    std::erase(strExpected, '\r');
    cRecordBytes record;
    record.Fields(0).Strings(1).Append(b.Bytes());
    cRecordReader reader(record.Bytes());
    cOneString r;
    r.Load(reader);
    ASSERT_FALSE(reader.Failed());
    EXPECT_EQ(r.m_str, strExpected);
  }
}

TEST_F(RecordTest, EmptyRecordIsVersionAndTwoZeroCounts) {
  cEmptyRecord r;
  ASSERT_TRUE(r.SaveToFile("e.dat"));
  EXPECT_EQ(m_Folder.ReadFile("e.dat"), cRecordBytes{}.u32(695).u32(0).u32(0).Bytes());
  EXPECT_TRUE(r.LoadFromFile("e.dat"));
}

TEST_F(RecordTest, ClearCopyFromAndAssignment) {
  cTestRecord a = MakeFilledRecord();

  cTestRecord b;
  b.CopyFrom(a);  // registered members only
  EXPECT_EQ(b.m_nA, -5);
  EXPECT_EQ(b.m_anE[2], 0x7FFFFFFF);
  EXPECT_EQ(b.m_strName, "ゲーム");
  EXPECT_TRUE(b.m_anList.empty());

  // The base assignment copies no data; it only re-registers the target.
  cTestRecord c;
  static_cast<cRecord&>(c) = a;
  EXPECT_EQ(c.m_nA, 11);
  EXPECT_EQ(c.FieldList().size(), 5u);
  EXPECT_EQ(c.FieldList()[0].data, &c.m_nA);

  // A copy names itself once it is used, never its source.
  cTestRecord d(a);
  EXPECT_TRUE(d.FieldList().empty());
  d.Clear();
  EXPECT_EQ(d.m_nA, 0);
  EXPECT_EQ(d.m_strName, "");
  EXPECT_EQ(d.m_anList, a.m_anList);  // unregistered, untouched
  EXPECT_EQ(a.m_nA, -5);
  EXPECT_EQ(d.FieldList()[0].owner, &d);

  // Stripping a copy touches the copy only.
  a.m_strName = "x\r";
  cTestRecord e(a);
  e.StripCR();
  EXPECT_EQ(e.m_strName, "x");
  EXPECT_EQ(a.m_strName, "x\r");
}

// A registration as offsets from the record (-1 for a retired member), so
// that registrations of two objects can be compared.
using FieldShape = std::tuple<ptrdiff_t, int32_t, int>;
std::pair<std::vector<FieldShape>, std::vector<ptrdiff_t>> ShapeOf(const cRecord& r) {
  const char* pBase = reinterpret_cast<const char*>(&r);
  std::pair<std::vector<FieldShape>, std::vector<ptrdiff_t>> shape;
  for (const FIELDDESC& desc : r.FieldList()) {
    EXPECT_TRUE(desc.owner == nullptr || desc.owner == &r);
    shape.first.emplace_back(desc.data ? static_cast<const char*>(desc.data) - pBase : -1,
                             desc.count, desc.size);
  }
  for (const STRINGDESC& desc : r.StringList()) {
    EXPECT_TRUE(desc.owner == nullptr || desc.owner == &r);
    shape.second.push_back(desc.pString ? reinterpret_cast<const char*>(desc.pString) - pBase : -1);
  }
  return shape;
}

// The layout shared by a class at a version is what RegisterFields lists at
// that version, whichever way the record came to be registered: through an
// operation (the shared layout), by calling RegisterFields directly at the
// current version (matched against it) or at another one (a layout of its
// own), before or after other versions were used.
TEST_F(RecordTest, EveryWayOfRegisteringGivesTheSameLists) {
  struct Case {
    int nVersion;
    size_t nFields, nStrings;
    bool bRetired;  // field 1 is the retired int
  };
  const Case cases[] = {{40, 3, 1, false},  {60, 4, 1, true},   {100, 4, 1, false},
                        {120, 5, 2, false}, {695, 5, 2, false}, {60, 4, 1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nVersion);
    g_nDataVersion = c.nVersion;
    cTestRecord shared, direct, other;
    shared.Clear();
    direct.RegisterFields(c.nVersion);  // matched against the shared layout
    g_nDataVersion = DATA_VERSION;
    other.RegisterFields(c.nVersion);  // differs from the current layout
    const auto shape = ShapeOf(shared);
    EXPECT_EQ(shape.first.size(), c.nFields);
    EXPECT_EQ(shape.second.size(), c.nStrings);
    EXPECT_EQ(std::get<0>(shape.first.at(1)) == -1, c.bRetired);
    EXPECT_EQ(ShapeOf(direct), shape);
    EXPECT_EQ(ShapeOf(other), shape);
    EXPECT_EQ(shared.FieldList()[0].data, &shared.m_nA);
    EXPECT_EQ(other.FieldList()[0].data, &other.m_nA);
  }
  // A constructor registers at DATA_VERSION even while the current version
  // is older: a registration of its own, not the older shared layout.
  g_nDataVersion = 100;
  cTestRecord made;
  EXPECT_EQ(made.FieldList().size(), 5u);
  EXPECT_EQ(made.StringList().size(), 2u);
  // Its copy starts unregistered and then names itself.
  cTestRecord copy(made);
  EXPECT_TRUE(copy.FieldList().empty());
  copy.Clear();
  EXPECT_EQ(copy.FieldList().size(), 4u);
  EXPECT_EQ(copy.FieldList()[0].owner, &copy);
}

// A record kind no other test uses, so that its layout is first made while
// two threads race for it.
class cThreadRecord : public cRecord {
 public:
  void RegisterFields(int nVersion) override {
    ClearFieldLists();
    AddField(&m_nA);
    if (nVersion >= 600) AddField(m_anB, 2);
    AddString(&m_strC);
  }
  int32_t m_nA = 0;
  int16_t m_anB[2] = {};
  std::string m_strC;
};

// Records are loaded on the stage loader thread while the main thread works
// with records too: layouts are made once under a lock, found without one,
// and outlive the thread that made them.
TEST_F(RecordTest, LayoutsAreSharedAcrossThreads) {
  cRecordBytes b;
  b.Fields(2).i32(7).i16(-1).i16(2).Strings(1).str("text");
  const std::string strBytes = b.Bytes();
  constexpr int kRecords = 300;

  std::atomic<int> nReady = 0;
  auto LoadMany = [&](std::vector<cThreadRecord>& records) {
    nReady.fetch_add(1);
    while (nReady.load() < 2) {
    }
    for (int i = 0; i < kRecords; ++i) {
      cRecordReader reader(strBytes);
      records.emplace_back().Load(reader);
      EXPECT_TRUE(reader.AtEnd() && !reader.Failed());
    }
  };
  std::vector<cThreadRecord> onThread, onMain;
  std::thread loader(LoadMany, std::ref(onThread));
  LoadMany(onMain);
  loader.join();

  // The loader thread is gone; what it loaded is used here.
  for (std::vector<cThreadRecord>* pRecords : {&onThread, &onMain}) {
    ASSERT_EQ(pRecords->size(), size_t{kRecords});
    for (cThreadRecord& r : *pRecords) {
      EXPECT_EQ(r.m_nA, 7);
      EXPECT_EQ(r.m_anB[1], 2);
      EXPECT_EQ(r.m_strC, "text");
      cRecordWriter writer;
      r.Save(writer);
      ASSERT_EQ(writer.Data(), strBytes);
    }
  }
  EXPECT_EQ(onThread[0].FieldList()[1].data, onThread[0].m_anB);
}

TEST_F(RecordTest, EachThreadReadsByTheVersionOfTheFileItOpened) {
  // An old file opened here; a current one opened and loaded on another
  // thread before this one is loaded.
  cRecordBytes old;
  old.u32(60).Fields(4).i32(1).i32(-999).u8(2).f64(3.0).Strings(1).str("n").u32(0).u32(0);
  m_Folder.WriteFile("old.dat", old.Bytes());
  m_Folder.WriteFile("new.dat", ExpectedFilledBytes());
  std::unique_ptr<cRecordReader> pOld = OpenLoadFile("old.dat");
  ASSERT_NE(pOld, nullptr);

  bool bOtherLoaded = false;
  std::thread other([&] {
    cTestRecord r;
    bOtherLoaded = r.LoadFromFile("new.dat") && r.m_anE[2] == 0x7FFFFFFF;
  });
  other.join();
  EXPECT_TRUE(bOtherLoaded);

  EXPECT_EQ(g_nFileVersion, 60);
  cTestRecord r;
  r.Load(*pOld);
  EXPECT_TRUE(!pOld->Failed() && pOld->AtEnd());
  EXPECT_EQ(r.m_cbC, 2);
  EXPECT_EQ(r.m_dD, 3.0);
}

// Loads bytes as a record file; true when the load succeeded.
bool LoadBytes(const cTestGameFolder& folder, const std::string& strBytes, cTestRecord& r) {
  folder.WriteFile("bad.dat", strBytes);
  return r.LoadFromFile("bad.dat");
}

TEST_F(RecordTest, EveryTruncationFailsWithOneLogLine) {
  const std::string strFull = ExpectedFilledBytes();
  for (size_t n = 0; n < strFull.size(); ++n) {
    SCOPED_TRACE(n);
    m_Folder.WriteFile("Report_Game.txt", "");
    cTestRecord r;
    EXPECT_FALSE(LoadBytes(m_Folder, strFull.substr(0, n), r));
    const std::string strLog = m_Folder.ReportLogText();
    EXPECT_EQ(std::count(strLog.begin(), strLog.end(), '\n'), 1) << strLog;
  }
  cTestRecord r;
  EXPECT_TRUE(LoadBytes(m_Folder, strFull, r));
}

TEST_F(RecordTest, HugeAndSurplusCountsFail) {
  // Positions of each count word in the filled record's bytes.
  struct Case {
    const char* pszName;
    size_t nOffset;
    uint32_t nValue;
    const char* pszLog;
  };
  const size_t nStrings = 4 + 4 + 27;               // version, field count, fields
  const size_t nFirstString = nStrings + 4;         // "ゲーム"
  const size_t nIntVector = nFirstString + 11 + 4;  // after both strings
  const size_t nStringVector = nIntVector + 12;
  const size_t nChildren = nStringVector + 4 + 4 + 6;
  const Case cases[] = {
      {"field count", 4, 0xFFFFFFFFu, "err V[5] ( 5 , 16 )"},
      {"one surplus field", 4, 6, "err V[5] ( 5 , 16 )"},
      {"string count", nStrings, 0xFFFFFFFFu, "err V[2] ( 2 , 8 )"},
      {"string length", nFirstString, 0xFFFFFFFFu, "string length"},
      {"int vector", nIntVector, 0xFFFFFFFFu, "int count 4294967295"},
      {"string vector", nStringVector, 0x40000000u, "string count 1073741824"},
      {"record vector", nChildren, 0xFFFFFFFFu, "record count 4294967295"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszName);
    std::string strBytes = ExpectedFilledBytes();
    std::memcpy(strBytes.data() + c.nOffset, &c.nValue, 4);
    m_Folder.WriteFile("Report_Game.txt", "");
    cTestRecord r;
    EXPECT_FALSE(LoadBytes(m_Folder, strBytes, r));
    EXPECT_NE(m_Folder.ReportLogText().find(c.pszLog), std::string::npos)
        << m_Folder.ReportLogText();
    EXPECT_NE(m_Folder.ReportLogText().find("bad.dat : damaged record file at byte"),
              std::string::npos);
    // The record stays usable with the current layout.
    EXPECT_EQ(r.FieldList().size(), 5u);
  }
}

TEST_F(RecordTest, RecordCountWithinTheFileButTooFewRecordsFails) {
  // 100 children claimed (padding makes the count fit in the file); the
  // second child is damaged.
  cRecordBytes b;
  b.u32(695).Fields(0).Strings(0).u32(0).u32(0).u32(100);
  b.IntRecord({1}, "c").u32(0);
  b.u32(0xFFFF);  // the second child's field count
  cTestRecord r;
  EXPECT_FALSE(LoadBytes(m_Folder, b.Bytes() + std::string(800, '\0'), r));
  EXPECT_EQ(r.m_Children.size(), 2u);  // made as read, not all 100 up front
  EXPECT_EQ(r.m_Children[0].m_strLabel, "c");
}

TEST_F(RecordTest, NestedCountsAreBoundedByTheRoomOfTheirElement) {
  // Two children; the first one's byte vector claims n bytes. The second
  // child needs at least 8 bytes (its two count words), so the first may
  // claim at most what is left less 8, though more would fit in the file.
  cRecordBytes head;
  head.u32(695).Fields(0).Strings(0).u32(0).u32(0).u32(2);
  head.IntRecord({1}, "c");
  const std::string strSecond = cRecordBytes().IntRecord({2}, "d").u32(0).Bytes();
  struct Case {
    uint32_t nClaimed;
    std::string strFlags;  // the bytes after the count
    bool bLoads;
  };
  const Case cases[] = {
      {4, "abcd" + strSecond, true},
      {4 + static_cast<uint32_t>(strSecond.size()) - 7, "abcd" + strSecond, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nClaimed);
    m_Folder.WriteFile("Report_Game.txt", "");
    cRecordBytes b = head;
    b.u32(c.nClaimed).Append(c.strFlags);
    cTestRecord r;
    EXPECT_EQ(LoadBytes(m_Folder, b.Bytes(), r), c.bLoads);
    const std::string strLog = m_Folder.ReportLogText();
    if (c.bLoads) {
      EXPECT_EQ(strLog, "");
      EXPECT_EQ(r.m_Children.at(1).m_strLabel, "d");
    } else {
      EXPECT_EQ(std::count(strLog.begin(), strLog.end(), '\n'), 1) << strLog;
      EXPECT_NE(strLog.find("byte count"), std::string::npos) << strLog;
    }
  }
}

TEST_F(RecordTest, OpenLoadFileFailures) {
  g_nFileVersion = 123;
  m_Folder.WriteFile("short.dat", "abc");
  EXPECT_EQ(OpenLoadFile("short.dat"), nullptr);
  EXPECT_NE(m_Folder.ReportLogText().find("short.dat : damaged record file: 3 bytes"),
            std::string::npos);
  EXPECT_EQ(OpenLoadFile("missing.dat"), nullptr);
  EXPECT_EQ(OpenLoadFile(std::string(300, 'a').c_str()), nullptr);
  EXPECT_EQ(g_nFileVersion, 123);

  // A null or empty path opens "err".
  m_Folder.WriteFile("err", cRecordBytes{}.u32(42).Bytes());
  for (const char* pszPath : {static_cast<const char*>(nullptr), ""}) {
    auto pFile = OpenLoadFile(pszPath);
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(g_nFileVersion, 42);
    EXPECT_TRUE(pFile->AtEnd());
  }

  cTestRecord r;
  EXPECT_FALSE(r.LoadFromFile("missing.dat"));
  EXPECT_EQ(r.m_nA, 11);
}

TEST_F(RecordTest, SaveNeverLeavesAHalfWrittenFile) {
  m_Folder.WriteFile("user_data\\keep.dat", "old contents");
  cTestRecord r;
  // An unopenable target fails before anything is written.
  EXPECT_FALSE(r.SaveToFile("no_such_folder\\x.dat"));
  // A writer that is dropped without being closed leaves the old file.
  {
    auto pFile = OpenSaveFile("user_data\\keep.dat");
    ASSERT_NE(pFile, nullptr);
    r.Save(*pFile);
  }
  EXPECT_EQ(m_Folder.ReadFile("user_data\\keep.dat"), "old contents");
  EXPECT_EQ(ListDirectory("user_data").size(), 1u);  // no temporary left
  ASSERT_TRUE(r.SaveToFile("user_data\\keep.dat"));
  EXPECT_EQ(m_Folder.ReadFile("user_data\\keep.dat").substr(0, 4), cRecordBytes{}.u32(695).Bytes());
}

}  // namespace
