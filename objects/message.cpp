#include "objects/message.h"

#include <algorithm>
#include <cstdint>

#include "app/base/close_request.h"
#include "app/base/report_log.h"
#include "app/base/sjis.h"
#include "app/core/surface_tables.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_units.h"
#include "objects/draw_source.h"
#include "objects/world.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/font/font.h"

namespace {

constexpr int kAccessorySheet = 49;
constexpr int kStatusBarHeight = 20;

Font& MessageFont() { return g_Fonts[1]; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A variable reference after a "#": what it names and how it is written.
struct VARREF {
  bool bCommon = false;
  bool bStage = false;
  int nDigits = 0;
  int64_t nNumber = 0;  // held at 1000 once past any variable number
  int nWidth = 0;
  bool bPlus = false;
  bool bZeros = false;
};

// Reads the reference starting at byte i (after the "#"); the end of it,
// a "." right after it included.
size_t ReadReference(const std::string& s, size_t i, VARREF& ref) {
  bool bOptions = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (!bOptions) {
      if (c == 'C' || c == 'c') {
        ref.bCommon = true;
      } else if (c == 'S' || c == 's') {
        ref.bStage = true;
      } else if (IsDigit(c)) {
        ++ref.nDigits;
        ref.nNumber = std::min<int64_t>(ref.nNumber * 10 + (c - '0'), 1000);
      } else if (c == '_') {
        bOptions = true;
      } else {
        break;
      }
    } else if (IsDigit(c)) {
      ref.nWidth = c - '0';
    } else if (c == 'P' || c == 'p') {
      ref.bPlus = true;
    } else if (c == 'Z' || c == 'z') {
      ref.bZeros = true;
    } else {
      break;
    }
  }
  if (i < s.size() && s[i] == '.') ++i;
  return i;
}

// The value written as the reference asks: at least its digits, padded to
// the width with zeros, or with spaces unless "Z"; then its sign.
std::string FormatReference(int32_t nValue, const VARREF& ref) {
  uint32_t nMagnitude =
      nValue < 0 ? 0u - static_cast<uint32_t>(nValue) : static_cast<uint32_t>(nValue);
  int n = 1;
  for (uint32_t m = nMagnitude; m >= 10; m /= 10) ++n;
  if (ref.nWidth != 0 && ref.nWidth >= n) n = ref.nWidth;
  std::string digits(static_cast<size_t>(n), '0');
  for (int i = n - 1; i >= 0; --i, nMagnitude /= 10)
    digits[static_cast<size_t>(i)] = static_cast<char>('0' + nMagnitude % 10);
  if (!ref.bZeros)
    for (size_t i = 0; i + 1 < digits.size() && digits[i] == '0'; ++i) digits[i] = ' ';
  if (nValue < 0) return '-' + digits;
  if (ref.bPlus) return '+' + digits;
  return digits;
}

}  // namespace

void SubstituteVariables(std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (IsLeadByte(c) && i + 1 < s.size() && IsTrailByte(static_cast<unsigned char>(s[i + 1]))) {
      i += 2;
      continue;
    }
    if (c != '#' || i + 1 >= s.size()) {
      ++i;
      continue;
    }
    VARREF ref;
    const size_t nEnd = ReadReference(s, i + 1, ref);
    if ((!ref.bCommon && !ref.bStage) || ref.nDigits == 0 || ref.nNumber < 1 || ref.nNumber > 255) {
      ++i;
      continue;
    }
    const int n = static_cast<int>(ref.nNumber);
    const std::string strValue =
        FormatReference(ref.bCommon ? ReadCommonVar(n) : ReadStageVar(n), ref);
    s.replace(i, nEnd - i, strValue);
    i += strValue.size();
  }
}

void MeasureText(int& nWidth, int& nHeight, const std::string& strText) {
  const Font& font = MessageFont();
  int64_t w = 0, h = 0;
  if (font.m_nCellWidth != 0) {
    int mw = 0, mh = 0;
    font.MeasureTextLines(strText.c_str(), mw, mh);
    w = mw;
    h = mh;
  } else {
    // Proportional: every line measured, an empty last one counted.
    int64_t nLines = 0;
    size_t nStart = 0;
    while (true) {
      const size_t nEnd = std::min(strText.find('\n', nStart), strText.size());
      int lw = 0, lh = 0;
      if (nEnd > nStart) font.GetExtent(strText.substr(nStart, nEnd - nStart).c_str(), lw, lh);
      w = std::max<int64_t>(w, lw);
      ++nLines;
      if (nEnd == strText.size()) break;
      nStart = nEnd + 1;
    }
    h = nLines * font.m_nLineHeight;
  }
  nWidth = static_cast<int>(std::clamp<int64_t>(w + 2, 0, kMaxMessageSide));
  nHeight = static_cast<int>(std::clamp<int64_t>(h + 2, 0, kMaxMessageSide));
}

cMessage::cMessage(const MESSAGESETUP& setup) { Init(setup, 0); }

cMessage::~cMessage() { ReleaseSurface(); }

void cMessage::Init(const MESSAGESETUP& setup, int bReinit) {
  m_nKind = setup.nKind;
  m_strText = m_strSource = setup.strText;
  m_nIconKind = setup.nIconKind;
  m_nIconGraphic = setup.nIconGraphic;
  m_nIconCell = setup.nIconCell;
  m_nPosition = setup.nPosition;
  m_nCellX = setup.nCellX;
  m_nCellY = setup.nCellY;
  m_nOffsetX = setup.nOffsetX;
  m_nOffsetY = setup.nOffsetY;
  m_bKeepOnScreen = setup.bKeepOnScreen;
  m_bFixOnScreen = setup.bFixOnScreen;
  m_nDisplayMode = setup.nDisplayMode;
  m_bSubstitute = setup.bSubstitute;
  m_bRefresh = setup.bRefresh;
  m_nRefreshInterval = setup.nRefreshInterval;
  m_bWindowFrame = setup.bWindowFrame;
  m_bHasId = setup.bHasId;
  m_nId = setup.nId;
  m_bPlaced = 0;
  if (m_bSubstitute) SubstituteVariables(m_strText);
  if (m_nKind == MSGKIND_TEXT) {
    MeasureText(m_nWidth, m_nHeight, m_strText);
  } else if (m_nKind == MSGKIND_ICON || m_nKind == MSGKIND_ONEUP) {
    m_nWidth = m_nHeight = 16;
  } else {
    m_nWidth = m_nHeight = 0;
  }
  m_nAnchorId = setup.nAnchorId;
  m_bStopsGame = setup.bStopsGame;
  m_nCountdown = setup.nCountdown;
  m_dOpening = 0.0;
  m_bOpening = m_nDisplayMode == MSGDISPLAY_KEY && !setup.bChained ? 1 : 0;
  if (m_nKind == MSGKIND_TEXT) {
    if (!bReinit) CreateSurface();
    Render(&m_Surface);
  } else {
    ReleaseSurface();
  }
}

void cMessage::CreateSurface() {
  ReleaseSurface();
  if (m_nWidth >= kMaxMessageSide || m_nHeight >= kMaxMessageSide)
    ReportLog("メッセージが大きすぎるので %d x %d で表示します", m_nWidth, m_nHeight);
  // The device places the surface in video memory while it has room for it.
  if (!DDCreateSurface(&m_Surface, m_nWidth, m_nHeight, 1, 0, 0, 0, 0)) {
    DDReleaseSurface(&m_Surface);
    RequestClose();
  }
}

void cMessage::ReleaseSurface() {
  if (HasSurface()) DDReleaseSurface(&m_Surface);
}

void cMessage::Render(DDSURFACEDATA* lpSurface) {
  if (lpSurface == nullptr || !HasSurface()) return;
  ++m_nRenders;
  DDPalFillSurface(lpSurface, 0);
  if (m_bWindowFrame)
    MessageFont().DrawBox(lpSurface, 1, 1, 0, 0, m_strText.c_str(), 0);
  else
    MessageFont().Draw(lpSurface, 1, 1, m_strText.c_str(), 0);
}

// Positions are worked out in 64 bits (offsets are stored values of any
// size) and then held within the int range.
bool cMessage::ScreenPosition(int& x, int& y) {
  cPlayScene& scene = PlayScene();
  const int64_t w = m_nWidth, h = m_nHeight, dx = m_nOffsetX, dy = m_nOffsetY;
  const double dScrollX = scene.m_ScrollX.m_dPos, dScrollY = scene.m_ScrollY.m_dPos;
  int64_t nX = 0, nY = 0;
  switch (m_nPosition) {
    case MSGPOS_ABOVE_SELF:
    case MSGPOS_BELOW_SELF:
    case MSGPOS_CENTRE_SELF:
    case MSGPOS_ABOVE_HERO:
    case MSGPOS_BELOW_HERO:
    case MSGPOS_CENTRE_HERO: {
      const cChara* lpAnchor = scene.FindCharaById(m_nAnchorId);
      if (lpAnchor == nullptr) return false;
      const int64_t nLeft =
          int64_t{TruncInt(lpAnchor->m_dX - TruncInt(dScrollX))} - lpAnchor->m_nBoxX;
      const int64_t nTop =
          int64_t{TruncInt(lpAnchor->m_dY - TruncInt(dScrollY))} - lpAnchor->m_nBoxY;
      const int64_t nSpriteW = lpAnchor->m_nSpriteW, nSpriteH = lpAnchor->m_nSpriteH;
      nX = nLeft + (nSpriteW >> 1) - (w >> 1) + dx;
      const int nPlace = (m_nPosition - MSGPOS_ABOVE_SELF) % 3;
      if (nPlace == 0)
        nY = nTop - h + dy;
      else if (nPlace == 1)
        nY = nTop + nSpriteH + 1 + dy;
      else
        nY = nTop + (nSpriteH >> 1) - (h >> 1) + dy;
      break;
    }
    case MSGPOS_SCREEN_CELL:
      nX = 32 * int64_t{m_nCellX} + dx;
      nY = 32 * int64_t{m_nCellY} + dy;
      break;
    case MSGPOS_STAGE_CELL:
      nX = TruncInt(32.0 * (static_cast<double>(m_nCellX) + scene.m_ScrollX.m_nMargin) +
                    static_cast<double>(dx) - dScrollX);
      nY = TruncInt(32.0 * (static_cast<double>(m_nCellY) + scene.m_ScrollY.m_nMargin) +
                    static_cast<double>(dy) - dScrollY);
      break;
    default:  // the screen's centre, also for a position the command does not offer
      nX = 320 - (w >> 1) + dx;
      nY = 240 - (h >> 1) + dy;
      break;
  }
  x = SaturateInt32(nX);
  y = SaturateInt32(nY);
  return true;
}

int cMessage::Update(DDSURFACEDATA* lpTarget, int bFrozen) {
  // 1. The countdown; a countdown of d shows the message d times.
  if (m_nDisplayMode == MSGDISPLAY_TIME && (m_bStopsGame || !bFrozen)) {
    if (m_nCountdown <= 0) {
      ReleaseSurface();
      return 1;
    }
    --m_nCountdown;
  }

  // 2. The refresh: drawn again only when the substituted text changed.
  cPlayScene& scene = PlayScene();
  if (m_bRefresh && m_nRefreshInterval != 0 && int64_t{scene.m_nFrame} % m_nRefreshInterval == 0 &&
      m_nKind == MSGKIND_TEXT && m_bSubstitute) {
    std::string strText = m_strSource;
    SubstituteVariables(strText);
    if (strText != m_strText) {
      m_strText = std::move(strText);
      int w, h;
      MeasureText(w, h, m_strText);
      if (w != m_nWidth || h != m_nHeight) {
        m_nWidth = w;
        m_nHeight = h;
        CreateSurface();
      }
      Render(&m_Surface);
    }
  }

  // 3. Where it stands; a message whose character has gone ends.
  int x, y;
  if (!ScreenPosition(x, y)) {
    ReleaseSurface();
    return 1;
  }

  // 4. Fixed on the screen where it first appeared, or in the stage.
  const bool bCentreOrCell =
      m_nPosition == MSGPOS_SCREEN_CENTRE || m_nPosition == MSGPOS_SCREEN_CELL;
  if (m_bFixOnScreen && !bCentreOrCell) {
    if (!m_bPlaced) {
      m_nPlacedX = x;
      m_nPlacedY = y;
      m_bPlaced = 1;
    }
    x = m_nPlacedX;
    y = m_nPlacedY;
  } else if (!m_bFixOnScreen && bCentreOrCell) {
    if (!m_bPlaced) {
      m_nPlacedX = TruncInt(x + scene.m_ScrollX.m_dPos);
      m_nPlacedY = TruncInt(y + scene.m_ScrollY.m_dPos);
      m_bPlaced = 1;
    }
    x = TruncInt(m_nPlacedX - scene.m_ScrollX.m_dPos);
    y = TruncInt(m_nPlacedY - scene.m_ScrollY.m_dPos);
  }

  // 5. Kept inside the view, below the status bar.
  if (m_bKeepOnScreen) {
    const int64_t w = m_nWidth, h = m_nHeight;
    if (x < 0)
      x = 0;
    else if (x + w >= 639)
      x = SaturateInt32(640 - w);
    if (y < kStatusBarHeight)
      y = kStatusBarHeight;
    else if (y + h >= 479)
      y = SaturateInt32(480 - h);
  }

  m_nScreenX = x;
  m_nScreenY = y;

  // 6. The drawing. Icons rise one pixel every four frames.
  const int nRise = SaturateInt32((int64_t{30} - m_nCountdown) >> 2);
  switch (m_nKind) {
    case MSGKIND_TEXT: {
      if (!HasSurface()) return 0;
      if (m_Surface.bLost) {
        Render(&m_Surface);
        m_Surface.bLost = 0;
      }
      if (m_strText.empty()) return 0;
      if (m_bOpening) {
        m_dOpening += 1.0;
        if (m_dOpening < 10.0) {
          if (m_bWindowFrame) {
            const double f = 0.1 * m_dOpening;
            const int nHalfW = m_nWidth >> 1, nHalfH = m_nHeight >> 1;
            MessageFont().DrawWindow(lpTarget, TruncInt(x + nHalfW - f * nHalfW),
                                     TruncInt(y + nHalfH - f * nHalfH), TruncInt(f * m_nWidth),
                                     TruncInt(f * m_nHeight));
          }
          return 0;
        }
      }
      DDBlt(lpTarget, x, y, m_nWidth, m_nHeight, &m_Surface, 0, 0, 1);
      break;
    }
    case MSGKIND_ICON:
      DrawObjectIcon(lpTarget, x, SaturateInt32(int64_t{y} - nRise), m_nIconKind, m_nIconGraphic,
                     m_nIconCell);
      break;
    case MSGKIND_ONEUP:
      DDBlt(lpTarget, x, SaturateInt32(int64_t{y} - nRise), 16, 16,
            &g_SurfaceTable[kAccessorySheet], 0, 48, 1);
      break;
    default:
      break;
  }
  return 0;
}
