#include "platform/ui/dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input/virtual_keys.h"

namespace {

constexpr int kTestResource = 900;
constexpr int kEditId = 1003;
constexpr int kOkId = 1000;
constexpr int kRadioA = 1002, kRadioB = 1004, kCheckId = 1005;

void RegisterTestTemplate() {
  DLGTEMPLATE tmpl;
  tmpl.nResource = kTestResource;
  tmpl.cx = 110;
  tmpl.cy = 65;
  tmpl.items = {{kEditId, DlgItemKind::Edit, "", 75, 12, 24, 14},
                {kOkId, DlgItemKind::DefButton, "OK", 30, 35, 50, 18},
                {kRadioA, DlgItemKind::Radio, "A", 5, 50, 20, 10},
                {kRadioB, DlgItemKind::Radio, "B", 30, 50, 20, 10},
                {kCheckId, DlgItemKind::Check, "C", 60, 50, 20, 10}};
  RegisterDialogTemplate(tmpl);
}

// A dialog with one edit control bound to m_strText under the given limits,
// two radio buttons bound to m_nChoice (values 1 and 0) and a check box
// bound to m_bFlag. OK stores and closes with 1.
class cTestDialog : public cDialog {
 public:
  explicit cTestDialog(const EDITPARAMS& params) : m_params(params) {
    m_params.lpText = &m_strText;
    Init(kTestResource, nullptr, 1, nullptr);
  }
  intptr_t WindowProc(uint32_t nMsg, intptr_t wParam, intptr_t lParam) override {
    const int r = HandleMessage(nMsg, wParam, lParam);
    if (nMsg == UIMSG_DESTROY) return 1;
    if (nMsg == UIMSG_CLOSE) {
      Close(0);
      return 1;
    }
    return r != 0 ? 1 : 0;
  }
  void OnInitDialog(intptr_t wParam, intptr_t lParam) override {
    cDialog::OnInitDialog(wParam, lParam);
    ++m_nInits;
    m_sizeAtInit = m_Controls.size();
    m_edit.Attach(this, m_params);
    AddControl(&m_edit);
    m_radioA.Attach(this, kRadioA);
    m_radioA.m_lpValue = &m_nChoice;
    m_radioA.m_nValue = 1;
    AddControl(&m_radioA);
    m_radioB.Attach(this, kRadioB);
    m_radioB.m_lpValue = &m_nChoice;
    m_radioB.m_nValue = 0;
    AddControl(&m_radioB);
    m_check.Attach(this, kCheckId);
    m_check.m_lpValue = &m_bFlag;
    AddControl(&m_check);
    LoadControls();
    Box()->SetFocusItem(kEditId);
    SetEditSelection(Box(), kEditId, 0, -1);
    m_bInitialized = 1;
  }
  void OnCommand(intptr_t wParam, intptr_t lParam) override {
    cDialog::OnCommand(wParam, lParam);
    if ((wParam & 0xFFFF) == kOkId) {
      SaveControls();
      Close(1);
    }
  }

  EDITPARAMS m_params;
  std::string m_strText;
  int m_nChoice = 1;
  int m_bFlag = 0;
  cEditControl m_edit;
  cRadioControl m_radioA, m_radioB;
  cCheckControl m_check;
  int m_nInits = 0;
  size_t m_sizeAtInit = 99;
};

class DialogTest : public testing::Test {
 protected:
  void SetUp() override { RegisterTestTemplate(); }
  void TearDown() override {
    SetDialogHost(nullptr);
    cHook::UnhookAll();
    g_bCtrlDown = 0;
  }
};

EDITPARAMS Limits(int nTotal, int nLineChars, int nLines, int bCount) {
  EDITPARAMS params;
  params.nId = kEditId;
  params.nTotalLimit = nTotal;
  params.nLineChars = nLineChars;
  params.nLineLimit = nLines;
  params.bCountChars = bCount;
  return params;
}

EDITPARAMS NameParams(int bCount) {
  EDITPARAMS params;
  SetEditParams(params, kEditId, nullptr, 3, bCount);
  return params;
}

// One keystroke: characters typed at the caret, "\b" a Backspace, or a
// caret move written "@n".
struct EDITCASE {
  const char* pszName;
  EDITPARAMS params;
  std::string strStart;  // the bound text
  std::vector<std::string> keys;
  std::string strExpected;
  int nCaret;
};

}  // namespace

TEST_F(DialogTest, EditLimitsKeepTextWithinTotalLineAndLineCount) {
  const std::vector<EDITCASE> cases = {
      {"fourth letter refused", NameParams(1), "", {"a", "b", "c", "d"}, "abc", 3},
      {"double-byte counts one", NameParams(1), "", {"あ", "い", "う"}, "あいう", 6},
      {"fourth double-byte refused", NameParams(1), "", {"あ", "い", "う", "え"}, "あいう", 6},
      {"mixed widths", NameParams(1), "", {"a", "あ", "b", "c"}, "aあb", 4},
      {"paste over the limit refused", NameParams(1), "xy", {"abcdef"}, "xy", 2},
      {"paste within the limit", NameParams(1), "xy", {"ab"}, "ab", 2},
      {"bytes: read size cuts", NameParams(0), "", {"a", "b", "c", "d"}, "abc", 3},
      {"bytes: never half a character", NameParams(0), "", {"a", "b", "あ"}, "ab", 2},
      {"bound text too long is cut", NameParams(1), "abcdef", {}, "abc", 0},
      {"bound double-byte text cut", NameParams(1), "あいうえ", {}, "あいう", 0},
      {"wrap to a new line", Limits(0, 3, 3, 0), "", {"a", "b", "c", "d"}, "abc\r\nd", 6},
      {"wrap never splits a character", Limits(0, 2, 2, 0), "", {"a", "あ"}, "a\r\nあ", 5},
      {"join undone", Limits(0, 3, 2, 0), "abc\r\nde", {"@5", "\b"}, "abc\r\nde", 3},
      {"join stands and refills", Limits(0, 4, 2, 0), "abc\r\nde", {"@5", "\b"}, "abcd\r\ne", 3},
      {"backspace", NameParams(1), "あb", {"@3", "\b", "\b"}, "", 0},
  };
  for (const EDITCASE& c : cases) {
    SCOPED_TRACE(c.pszName);
    cTestDialog dialog(c.params);
    dialog.m_strText = c.strStart;
    std::string strShown;
    int nStart = -1, nEnd = -1;
    SetDialogHost([&](cDialogBox& box) {
      for (const std::string& key : c.keys) {
        if (key == "\b") {
          box.TypeAtCaret("", true);
        } else if (key[0] == '@') {
          const int n = std::stoi(key.substr(1));
          SetEditSelection(&box, kEditId, n, n);
        } else {
          box.TypeAtCaret(key);
        }
      }
      strShown = box.Item(kEditId)->strText;
      GetEditSelection(&box, kEditId, nStart, nEnd);
      box.PressKey(vkey::kReturn, true);
    });
    EXPECT_EQ(dialog.DoModal(0), 1);
    EXPECT_EQ(strShown, c.strExpected);
    if (!c.keys.empty()) {
      EXPECT_EQ(nStart, c.nCaret);
      EXPECT_EQ(nEnd, c.nCaret);
    }
    EXPECT_EQ(dialog.m_strText, c.strExpected);
  }
}

TEST_F(DialogTest, ReadSizeFollowsTheCountingFlag) {
  cEditControl edit;
  edit.m_nTotalLimit = 4;
  EXPECT_EQ(edit.ReadSize(), 4);
  edit.m_bCountChars = 1;
  EXPECT_EQ(edit.ReadSize(), 7);
  edit.m_nTotalLimit = 4096;
  EXPECT_EQ(edit.ReadSize(), kDlgItemTextMax);
}

TEST_F(DialogTest, CloseKeepsTheValuesAndRunsAgainWithAnEmptyControlList) {
  cTestDialog dialog(NameParams(1));
  dialog.m_strText = "old";
  SetDialogHost([](cDialogBox& box) {
    box.TypeAtCaret("new");
    box.ClickItem(kRadioB);
    box.ClickItem(kCheckId);
    box.CloseBox();
  });
  EXPECT_EQ(dialog.DoModal(0), 0);
  EXPECT_EQ(dialog.m_strText, "old");
  EXPECT_EQ(dialog.m_nChoice, 1);
  EXPECT_EQ(dialog.m_bFlag, 0);

  SetDialogHost([](cDialogBox& box) {
    box.TypeAtCaret("new");
    box.ClickItem(kRadioB);
    box.ClickItem(kCheckId);
    box.ClickItem(kOkId);
  });
  EXPECT_EQ(dialog.DoModal(0), 1);
  EXPECT_EQ(dialog.m_nInits, 2);
  EXPECT_EQ(dialog.m_sizeAtInit, 0u);
  EXPECT_EQ(dialog.m_strText, "new");
  EXPECT_EQ(dialog.m_nChoice, 0);
  EXPECT_EQ(dialog.m_bFlag, 1);
  EXPECT_TRUE(dialog.m_Controls.empty());
}

TEST_F(DialogTest, RadioWithoutACheckLeavesItsIntAndCheckAlwaysStores) {
  cTestDialog dialog(NameParams(1));
  dialog.m_nChoice = 7;  // neither button stands for it
  dialog.m_bFlag = 5;
  int nCheckedA = -1, nCheckedB = -1, nCheck = -1;
  SetDialogHost([&](cDialogBox& box) {
    nCheckedA = IsDlgItemChecked(&box, kRadioA);
    nCheckedB = IsDlgItemChecked(&box, kRadioB);
    nCheck = IsDlgItemChecked(&box, kCheckId);
    box.ClickItem(kCheckId);  // 5 shows checked; a click clears it
    box.ClickItem(kOkId);
  });
  EXPECT_EQ(dialog.DoModal(0), 1);
  EXPECT_EQ(nCheckedA, 0);
  EXPECT_EQ(nCheckedB, 0);
  EXPECT_EQ(nCheck, 5);
  EXPECT_EQ(dialog.m_nChoice, 7);
  EXPECT_EQ(dialog.m_bFlag, 0);
}

TEST_F(DialogTest, EscapeDoesNotCloseAndWithoutAHostTheDialogCloses) {
  cTestDialog dialog(NameParams(1));
  bool bOpenAfterEscape = false;
  SetDialogHost([&](cDialogBox& box) {
    box.PressKey(0x1B, true);
    box.DeliverPosted();
    bOpenAfterEscape = !box.IsEnded();
    box.ClickItem(kOkId);
  });
  EXPECT_EQ(dialog.DoModal(0), 1);
  EXPECT_TRUE(bOpenAfterEscape);

  SetDialogHost(nullptr);
  dialog.m_strText = "abc";
  EXPECT_EQ(dialog.DoModal(0), 0);
  EXPECT_EQ(dialog.m_strText, "abc");
}

TEST_F(DialogTest, MissingTemplateRunsNothing) {
  class cNoTemplate : public cDialog {
  } dialog;
  dialog.Init(12345, nullptr, 1, nullptr);
  bool bRan = false;
  SetDialogHost([&](cDialogBox&) { bRan = true; });
  EXPECT_EQ(dialog.DoModal(0), -1);
  EXPECT_FALSE(bRan);
}

TEST_F(DialogTest, StoredPositionIsKeptInsideTheMainWindow) {
  struct POSCASE {
    int x, y, nExpectX, nExpectY;
  };
  // The test dialog is 165 x 97 pixels.
  for (const POSCASE& c : std::vector<POSCASE>{
           {240, 220, 240, 220}, {-20, 50, 0, 50}, {600, 470, 640 - 165, 480 - 97}}) {
    cTestDialog dialog(NameParams(1));
    dialog.m_nInitX = c.x;
    dialog.m_nInitY = c.y;
    int x = -1, y = -1;
    SetDialogHost([&](cDialogBox& box) {
      x = box.m_nX;
      y = box.m_nY;
      box.CloseBox();
    });
    dialog.DoModal(0);
    EXPECT_EQ(x, c.nExpectX);
    EXPECT_EQ(y, c.nExpectY);
  }
}

// ---- keyboard hook ---------------------------------------------------------------------------

TEST_F(DialogTest, HookCopiesKeysAndRoutesNotificationKeys) {
  struct MSG {
    uint32_t nMsg;
    intptr_t wParam;
    bool operator==(const MSG&) const = default;
  };
  struct HOOKCASE {
    int nKey;
    bool bDown, bComposing;
    std::vector<MSG> expected;
  };
  const std::vector<HOOKCASE> cases = {
      {vkey::kReturn, true, false, {{UIMSG_KEYDOWN, vkey::kReturn}}},
      {vkey::kReturn, true, true, {}},
      {vkey::kTab, true, false, {}},
      {vkey::kLeft, true, false, {{UIMSG_HOOKKEY, vkey::kLeft}}},
      {vkey::kLeft, true, true, {{UIMSG_KEYDOWN, vkey::kLeft}}},
      {vkey::kSpace, true, false, {{UIMSG_HOOKKEY, vkey::kSpace}}},
      {vkey::kDelete, true, false, {{UIMSG_HOOKKEY, vkey::kDelete}}},
      {vkey::kF1 + 7, true, false, {{UIMSG_HOOKKEY, vkey::kF1 + 7}}},
      {vkey::kF1 + 8, true, false, {{UIMSG_KEYDOWN, vkey::kF1 + 8}}},
      {'A', true, false, {{UIMSG_KEYDOWN, 'A'}}},
      {'A', false, false, {{UIMSG_KEYUP, 'A'}}},
  };
  std::vector<MSG> got;
  DLGTEMPLATE tmpl = *FindDialogTemplate(kTestResource);
  cDialogBox box(tmpl, [&](uint32_t nMsg, intptr_t wParam, intptr_t) {
    got.push_back({nMsg, wParam});
    return 1;
  });
  SetActiveDialogBox(&box);
  cHook hook;
  ASSERT_TRUE(hook.Install(&box));
  for (const HOOKCASE& c : cases) {
    SCOPED_TRACE(c.nKey);
    got.clear();
    box.m_bComposing = c.bComposing;
    KeyboardHookProc(0, c.nKey, c.bDown ? 0u : 0x80000000u);
    box.DeliverPosted();
    EXPECT_EQ(got, c.expected);
  }
  box.m_bComposing = false;

  KeyboardHookProc(0, vkey::kControl, 0);
  EXPECT_EQ(g_bCtrlDown, 1);
  KeyboardHookProc(0, vkey::kControl, 0x80000000u);
  EXPECT_EQ(g_bCtrlDown, 0);
  box.DeliverPosted();

  // A peek, or a box the hook does not serve, gets no copy.
  got.clear();
  KeyboardHookProc(3, 'A', 0);
  cDialogBox other(tmpl, [&](uint32_t nMsg, intptr_t wParam, intptr_t) {
    got.push_back({nMsg, wParam});
    return 1;
  });
  SetActiveDialogBox(&other);
  KeyboardHookProc(0, 'A', 0);
  other.DeliverPosted();
  box.DeliverPosted();
  EXPECT_TRUE(got.empty());
  SetActiveDialogBox(nullptr);
}

TEST_F(DialogTest, NotificationKeyReachesTheControlsAsAKeyPress) {
  struct cKeyControl : cControl {
    void OnKeyDown(int nKey, intptr_t, int bCtrl) override { keys.push_back({nKey, bCtrl}); }
    std::vector<std::pair<int, int>> keys;
  };
  cTestDialog dialog(NameParams(1));
  cKeyControl keys;
  std::vector<std::pair<int, int>> got;
  SetDialogHost([&](cDialogBox& box) {
    dialog.AddControl(&keys);
    box.PressKey(vkey::kControl, true);
    box.PressKey(vkey::kF1, true);
    box.PressKey(vkey::kControl, false);
    got = keys.keys;
    box.CloseBox();
  });
  dialog.DoModal(0);
  const std::vector<std::pair<int, int>> expected = {{vkey::kControl, 1}, {vkey::kF1, 1}};
  EXPECT_EQ(got, expected);
}
