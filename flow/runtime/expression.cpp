#include "flow/runtime/expression.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "app/base/checked_containers.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "app/base/sjis.h"
#include "flow/runtime/conditions.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_units.h"
#include "flow/runtime/status_values.h"
#include "objects/chara.h"
#include "play/play_scene.h"
#include "stagedata/progress/play_data.h"

int32_t g_bCodeError = 0;

namespace {

enum : int32_t {
  EXPROP_ASSIGN = 0,
  EXPROP_ADD = 1,
  EXPROP_SUB = 2,
  EXPROP_MUL = 3,
  EXPROP_DIV = 4,
  EXPROP_MOD = 5,
};

enum : int {
  EXPROBJ_MY = 0,
  EXPROBJ_TG = 1,
  EXPROBJ_PL = 2,
  EXPROBJ_SYS = 3,
};

// The character statuses of the name table: "v1".."v8" are character
// variables 1..8, the names after them statuses 1..14.
constexpr int kCharaVarNames = 8;

constexpr char kMsgNoClose[] = "\")\"が見つかりません！";
constexpr char kMsgFunctionNoClose[] = "関数 %.*s で\")\"が見つかりません！";
constexpr char kMsgBadArguments[] = "関数 %.*s の引数が不正です！";
constexpr char kMsgBadObject[] = "オブジェクト \"%.*s.\" が認識できません！";
constexpr char kMsgDivideByZero[] = "0除算が行われました！(%s)";
constexpr char kMsgNoStorage[] = "オブジェクトの設定エラー!";
constexpr char kMsgTooLong[] = "コードが長すぎます！(%d バイトまで)";
constexpr char kMsgTooDeep[] = "括弧の入れ子が深すぎます！(%d 段まで)";

// One evaluation of a line: a line beyond the bounds stops the whole of it.
struct EVALUATION {
  cChara& chara;
  bool bStopped = false;
};

int FindName(const std::string_view* lpTable, std::string_view word) {
  for (int i = 0; !lpTable[i].empty(); ++i)
    if (lpTable[i] == word) return i;
  return -1;
}

void Fail() { g_bCodeError = 1; }

// The leading decimal integer of a word, with an optional sign, saturating
// at the ends of the 32-bit range; 0 when the word does not start with one.
int32_t LeadingInteger(std::string_view word) {
  size_t i = 0;
  bool bNegative = false;
  if (i < word.size() && (word[i] == '+' || word[i] == '-')) bNegative = word[i++] == '-';
  constexpr int64_t kCap = int64_t{INT32_MAX} + 1;
  int64_t n = 0;
  for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i)
    n = std::min(n * 10 + (word[i] - '0'), kCap);
  return SaturateInt32(bNegative ? -n : n);
}

// S with [from, to) replaced by the decimal text of v; the position after
// the inserted text.
size_t Splice(std::string& s, size_t from, size_t to, int32_t v) {
  char text[16];
  const std::to_chars_result r = std::to_chars(text, text + sizeof text, v);
  const size_t n = static_cast<size_t>(r.ptr - text);
  s.replace(from, to - from, text, n);
  return from + n;
}

// The ")" matching the "(" at open, counting nested pairs; npos when the
// text ends first. Bytes are scanned one by one: no trail byte of a
// double-byte character is a parenthesis, a comma or a space.
size_t MatchingClose(const std::string& s, size_t open) {
  int nDepth = 0;
  for (size_t i = open; i < s.size(); ++i) {
    if (s[i] == '(') ++nDepth;
    if (s[i] == ')' && --nDepth == 0) return i;
  }
  return std::string::npos;
}

int32_t Reduce(std::string s, EVALUATION& ev, int nDepth);

// The values of a function's arguments between the parentheses at open and
// close: the parts between the commas outside nested parentheses, empty
// parts left out.
std::vector<int32_t> Arguments(const std::string& s, size_t open, size_t close, EVALUATION& ev,
                               int nDepth) {
  std::vector<int32_t> values;
  int nNested = 0;
  size_t partStart = open + 1;
  for (size_t i = open + 1; i <= close && !ev.bStopped; ++i) {
    if (s[i] == '(') ++nNested;
    if (s[i] == ')' && i != close) --nNested;
    if (i == close || (s[i] == ',' && nNested == 0)) {
      if (i > partStart)
        values.push_back(Reduce(s.substr(partStart, i - partStart), ev, nDepth + 1));
      partStart = i + 1;
    }
  }
  return values;
}

// The value of one function call; false when it failed (with its message).
bool CallFunction(int nFunction, std::string_view name, const std::vector<int32_t>& args,
                  int32_t& v) {
  (void)nFunction;  // "rand" is the only one
  if (args.size() != 2) {
    ErrorBoxf(kMsgBadArguments, static_cast<int>(name.size()), name.data());
    return false;
  }
  v = RandomBetween(args[0], args[1]);
  return true;
}

// ---- Tokens ----------------------------------------------------------------------

// The bounds of an assignment to character status name n of the character.
void CharaStatusBounds(const cChara& chara, int nStatus, int32_t& nMin, int32_t& nMax) {
  const STATUSRANGE range = kCharaStatusRange[nStatus];
  nMin = range.nMin;
  nMax = range.nMax;
  if (nStatus == CHARASTATUS_HP) nMax = std::max(chara.m_Def.m_nMaxHp, 0);
  if (nStatus == CHARASTATUS_SP) nMax = std::max(chara.m_Def.m_nMaxSp, 0);
  if (nStatus == CHARASTATUS_MAXHP || nStatus == CHARASTATUS_MAXSP) nMin = 1;
}

// Status index (status_values.h) and character-variable number of a name of
// g_aCharaStatusName.
int StatusOfName(int nName) {
  return nName < kCharaVarNames ? CHARASTATUS_VAR : nName - kCharaVarNames + CHARASTATUS_HP;
}
int VarOfName(int nName) { return nName < kCharaVarNames ? nName + 1 : 0; }

EXPRITEM VariableToken(std::string_view word) {
  const bool bCommon = word[0] == g_aVariableKind[0][0];
  const int n = LeadingInteger(word.substr(1));
  EXPRITEM item(0, bCommon ? CommonVarSlot(n) : StageVarSlot(n), EXPRKIND_VARIABLE);
  // A bad number has been reported; it reads entry 0 and stores nowhere.
  const cCheckedVector<int32_t>& vars =
      bCommon ? g_PlayData.m_CommonVars : FlowContext().m_vStageVar;
  item.nValue = item.pStorage ? *item.pStorage : (vars.empty() ? 0 : vars.front());
  return item;
}

EXPRITEM CharaStatusToken(int nName, cChara* lpObject) {
  EXPRITEM item;
  item.nKind = EXPRKIND_CHARASTATUS;
  item.nStatus = nName;
  item.lpObject = lpObject;
  const int nStatus = StatusOfName(nName);
  if (lpObject) {
    item.nValue = ReadCharaStatus(*lpObject, nStatus, VarOfName(nName));
    CharaStatusBounds(*lpObject, nStatus, item.nMin, item.nMax);
  }
  return item;
}

EXPRITEM SystemStatusToken(int n) {
  EXPRITEM item;
  item.nKind = EXPRKIND_SYSSTATUS;
  item.nSystem = n;
  item.nValue = ReadSystemStatus(n);
  item.nMin = kSystemStatusRange[n].nMin;
  item.nMax = kSystemStatusRange[n].nMax;
  // Infinite lives read as 0 and stay infinite whatever is assigned.
  if (n == SYSSTATUS_LIFE && item.nValue == kInfiniteLives) {
    item.nValue = 0;
    item.nMin = item.nMax = kInfiniteLives;
  }
  return item;
}

// The token of a word with object prefix nObject; false when the
// evaluation fails.
bool MakeToken(std::string_view word, int nObject, cChara& chara, cCheckedVector<EXPRITEM>& items) {
  const int nOperator = FindName(g_aOperatorName, word);
  if (nOperator >= 0) {
    EXPRITEM& item = items.emplace_back();
    item.nKind = EXPRKIND_OPERATOR;
    item.nOperator = nOperator;
    return true;
  }
  cChara* lpObject = nullptr;
  switch (nObject) {
    case EXPROBJ_MY:
      lpObject = &chara;
      break;
    case EXPROBJ_TG:
      lpObject = chara.GetTarget();
      if (!lpObject) return false;  // silently
      break;
    case EXPROBJ_PL:
      lpObject = g_lpPlayScene ? g_lpPlayScene->Hero() : nullptr;
      break;
    case EXPROBJ_SYS:
      break;
    default:
      ErrorBox(kMsgNoStorage);
      return false;
  }
  // No name starts with a digit or a sign: such a word is a number.
  const char c = word[0];
  if ((c < '0' || c > '9') && c != '+' && c != '-') {
    if (c == g_aVariableKind[0][0] || c == g_aVariableKind[1][0]) {
      items.push_back(VariableToken(word));
      return true;
    }
    if (const int nName = FindName(g_aCharaStatusName, word); nName >= 0) {
      items.push_back(CharaStatusToken(nName, lpObject));
      return true;
    }
    if (const int nSystem = FindName(g_aSystemStatusName, word); nSystem >= 0) {
      items.push_back(SystemStatusToken(nSystem));
      return true;
    }
  }
  items.emplace_back(LeadingInteger(word), nullptr, EXPRKIND_NUMBER);
  return true;
}

// ---- Operations ------------------------------------------------------------------

// left = right: the right value clamped to the left token's bounds, stored
// through the left token; false (with its message) when the left token has
// nowhere to store it.
bool Assign(const EXPRITEM& left, int32_t b, cChara& chara, int32_t& r) {
  const bool bStorage = (left.nKind == EXPRKIND_VARIABLE && left.pStorage) ||
                        (left.nKind == EXPRKIND_CHARASTATUS && left.lpObject) ||
                        left.nKind == EXPRKIND_SYSSTATUS;
  if (!bStorage) {
    ErrorBox(kMsgNoStorage);
    return false;
  }
  r = std::clamp(b, left.nMin, std::max(left.nMin, left.nMax));
  if (left.nKind == EXPRKIND_VARIABLE) {
    *left.pStorage = r;
  } else if (left.nKind == EXPRKIND_SYSSTATUS) {
    WriteSystemStatus(left.nSystem, r);
  } else {
    cChara& object = *left.lpObject;
    const int nStatus = StatusOfName(left.nStatus);
    WriteCharaStatus(object, nStatus, VarOfName(left.nStatus), r);
    if (nStatus == CHARASTATUS_HP && &object != &chara && object.m_nHp < 1)
      FlowContext().m_bCodeKill = 1;
  }
  return true;
}

// The division message with the text of the level, shortened to fit the
// message box's text.
void DivideByZeroMessage(std::string_view text) {
  const size_t nFixed = sizeof kMsgDivideByZero - 1 - 2;  // without "%s"
  const size_t nRoom = static_cast<size_t>(kLogTextMax) - nFixed;
  std::string strText(text);
  if (strText.size() > nRoom) {
    constexpr std::string_view kEllipsis = "...";
    CutToCharBoundary(strText, nRoom - kEllipsis.size());
    strText += kEllipsis;
  }
  ErrorBoxf(kMsgDivideByZero, strText.c_str());
}

// a <op> b; false (with its message) when the operation fails.
bool Combine(const EXPRITEM& left, const EXPRITEM& op, const EXPRITEM& right, std::string_view text,
             cChara& chara, int32_t& r) {
  const int32_t a = left.nValue;
  const int32_t b = right.nValue;
  const uint32_t ua = static_cast<uint32_t>(a);
  const uint32_t ub = static_cast<uint32_t>(b);
  switch (op.nOperator) {
    case EXPROP_ASSIGN:
      return Assign(left, b, chara, r);
    case EXPROP_ADD:
      r = static_cast<int32_t>(ua + ub);
      return true;
    case EXPROP_SUB:
      r = static_cast<int32_t>(ua - ub);
      return true;
    case EXPROP_MUL:
      r = static_cast<int32_t>(ua * ub);
      return true;
    case EXPROP_DIV:
    case EXPROP_MOD:
      if (b == 0) {
        DivideByZeroMessage(text);
        return false;
      }
      // INT_MIN / -1 does not fit: it wraps to INT_MIN, and its remainder is 0.
      if (b == -1)
        r = op.nOperator == EXPROP_DIV ? static_cast<int32_t>(0u - ua) : 0;
      else
        r = op.nOperator == EXPROP_DIV ? a / b : a % b;
      return true;
    default:
      DebugBoxf("演算子のエラー（未定義？）");
      return false;
  }
}

// Reduces the operators of one precedence level, left to right: each with
// the tokens beside it becomes one number. The reduced list is built in
// place at the front (items[0..w)), ahead of the tokens still to be scanned
// (items[i..)); nothing before a result is an operator of this level, so
// one pass does what scans from the first token after each operation would.
// An operator at either end has no operand on that side: the bad index is
// reported as the checked accessor reports one, and the list's first token
// stands in for the missing one.
bool ReduceLevel(cCheckedVector<EXPRITEM>& items, int32_t nLevel, std::string_view text,
                 cChara& chara, int32_t& nLast) {
  size_t w = 0;
  for (size_t i = 0; i < items.size();) {
    if (items[i].nKind != EXPRKIND_OPERATOR || g_aOperatorLevel[items[i].nOperator] != nLevel) {
      items[w++] = items[i++];
      continue;
    }
    const size_t nNow = w + (items.size() - i);  // tokens of the list as it stands
    const EXPRITEM op = items[i];
    const EXPRITEM front = w > 0 ? items[0] : op;
    const bool bRight = i + 1 < items.size();
    auto missing = [&](size_t nIndex) {
      ReportBadIndex('V', static_cast<int>(nIndex), nNow, ReportedElementSize<EXPRITEM>::value);
      return front;
    };
    const EXPRITEM left = w > 0 ? items[w - 1] : missing(static_cast<size_t>(-1));
    const EXPRITEM right = bRight ? items[i + 1] : missing(w + 1);
    int32_t r = 0;
    if (!Combine(left, op, right, text, chara, r)) return false;
    if (w == 0) ++w;
    items[w - 1] = EXPRITEM(r, nullptr, EXPRKIND_NUMBER);
    nLast = r;
    i += bRight ? 2 : 1;
  }
  items.resize(w);
  return true;
}

int32_t Evaluate(std::string_view text, cChara& chara) {
  cCheckedVector<EXPRITEM> items;
  // A word and its space: at most one token per two bytes.
  items.reserve(text.size() / 2 + 1);
  int nObject = EXPROBJ_MY;
  size_t wordStart = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ' ') {
      if (i > wordStart &&
          !MakeToken(text.substr(wordStart, i - wordStart), nObject, chara, items)) {
        Fail();
        return 0;
      }
      wordStart = i + 1;
      nObject = EXPROBJ_MY;
    } else if (text[i] == '.') {
      const std::string_view prefix = text.substr(wordStart, i - wordStart);
      nObject = FindName(g_aObjectName, prefix);
      if (nObject < 0) {
        ErrorBoxf(kMsgBadObject, static_cast<int>(prefix.size()), prefix.data());
        Fail();
        return 0;
      }
      wordStart = i + 1;
    }
  }
  int32_t nLast = items.empty() ? 0 : items.back().nValue;
  for (int32_t nLevel = 0; nLevel <= 2; ++nLevel) {
    if (!ReduceLevel(items, nLevel, text, chara, nLast)) {
      Fail();
      return 0;
    }
  }
  return nLast;
}

// ---- Parentheses -----------------------------------------------------------------

// Stops the whole evaluation with one message.
int32_t Stop(EVALUATION& ev, const char* pszFormat, int nLimit) {
  if (!ev.bStopped) ErrorBoxf(pszFormat, nLimit);
  ev.bStopped = true;
  Fail();
  return 0;
}

// A token starts at the beginning of S and after every space. A group in
// parentheses at the start of a token is replaced by the decimal text of
// its value; "name(" of a function by the value of the call. The scan goes
// on after the inserted text, as a scan from the token's start would (the
// text is digits and a sign). A "(" after any other name stays, and the
// word is later read as the number it starts with.
int32_t Reduce(std::string s, EVALUATION& ev, int nDepth) {
  if (ev.bStopped) return 0;
  if (nDepth > kMaxCodeDepth) return Stop(ev, kMsgTooDeep, kMaxCodeDepth);
  size_t start = 0;
  for (size_t i = 0; i < s.size();) {
    if (s[i] == ' ') {
      start = ++i;
      continue;
    }
    if (s[i] != '(') {
      ++i;
      continue;
    }
    const size_t close = MatchingClose(s, i);
    const std::string_view name(s.data() + start, i - start);
    const int nFunction = i > start ? FindName(g_aFunctionName, name) : -1;
    if (close == std::string::npos) {
      if (nFunction >= 0)
        ErrorBoxf(kMsgFunctionNoClose, static_cast<int>(name.size()), name.data());
      else
        ErrorBox(kMsgNoClose);
      Fail();
      return 0;
    }
    int32_t v = 0;
    if (i == start) {
      v = Reduce(s.substr(i + 1, close - i - 1), ev, nDepth + 1);
    } else if (nFunction >= 0) {
      const std::vector<int32_t> args = Arguments(s, i, close, ev, nDepth);
      if (!ev.bStopped && !CallFunction(nFunction, name, args, v)) {
        Fail();
        return 0;
      }
    } else {
      ++i;
      continue;
    }
    if (ev.bStopped) return 0;
    i = Splice(s, start, close + 1, v);
  }
  return Evaluate(s, ev.chara);
}

}  // namespace

int32_t EvaluateTokens(std::string_view text, cChara& chara) { return Evaluate(text, chara); }

int32_t ReduceParentheses(const std::string& strText, cChara& chara) {
  EVALUATION ev{chara};
  if (strText.size() > static_cast<size_t>(kMaxCodeBytes))
    return Stop(ev, kMsgTooLong, kMaxCodeBytes);
  // Most lines have no parentheses: nothing to reduce in a copy.
  if (strText.find('(') == std::string::npos) return Evaluate(strText, chara);
  return Reduce(strText, ev, 0);
}

int ExecuteCode(const std::string& strText, cChara& chara) {
  g_bCodeError = 0;
  const int32_t nHp = chara.m_nHp;
  const int32_t nSp = chara.m_nSp;
  ReduceParentheses(strText, chara);
  if (g_bCodeError) return 0;
  if (chara.m_nHp != nHp) chara.AnimateHpGauge(SaturateInt32(int64_t{chara.m_nHp} - nHp));
  if (chara.m_nSp != nSp) chara.AnimateSpGauge(SaturateInt32(int64_t{chara.m_nSp} - nSp));
  return 1;
}
