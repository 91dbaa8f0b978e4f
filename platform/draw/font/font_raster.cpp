#include "platform/draw/font/font_raster.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <map>
#include <memory>
#include <mutex>

#include "app/base/encoding.h"
#include "app/base/report_log.h"
#include "app/base/sjis.h"

// ---------------------------------------------------------------------------
// Box patterns

namespace {

// Width, code and whether the character is drawn, for the character at p.
struct BoxChar {
  int nBytes;
  unsigned nCode;
  bool bDrawn;
};

BoxChar NextBoxChar(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (IsLeadByte(c) && i + 1 < s.size() && IsTrailByte(static_cast<unsigned char>(s[i + 1]))) {
    const unsigned nCode = c << 8 | static_cast<unsigned char>(s[i + 1]);
    return {2, nCode, nCode != 0x8140};
  }
  const bool bDrawn = (c >= 0x21 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF);
  return {1, c, bDrawn};
}

}  // namespace

void cBoxRasterizer::Measure(std::string_view s, int& nWidth, int& nHeight) {
  nWidth = 0;
  for (size_t i = 0; i < s.size();) {
    const BoxChar ch = NextBoxChar(s, i);
    nWidth += ch.nBytes == 2 ? m_nHeight : m_nHeight / 2;
    i += ch.nBytes;
  }
  nHeight = m_nHeight;
}

bool cBoxRasterizer::Render(std::string_view s, GLYPHIMAGE& out) {
  int nHeight;
  Measure(s, out.nWidth, nHeight);
  out.nHeight = nHeight;
  out.coverage.assign(static_cast<size_t>(out.nWidth) * out.nHeight, 0);
  if (out.nWidth == 0) return false;
  int x0 = 0;
  for (size_t i = 0; i < s.size();) {
    const BoxChar ch = NextBoxChar(s, i);
    const int w = ch.nBytes == 2 ? m_nHeight : m_nHeight / 2;
    if (ch.bDrawn) {
      for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < w; ++x)
          if (IsCovered(x, y, ch.nCode))
            out.coverage[static_cast<size_t>(y) * out.nWidth + x0 + x] = 255;
    }
    x0 += w;
    i += ch.nBytes;
  }
  return true;
}

// ---------------------------------------------------------------------------
// TrueType faces

namespace {

// A font file mapped into memory, shared by every face opened from it: the
// program's fonts are often one file at several sizes, and a face reading
// its glyphs through a file would seek and read for each of them.
class cFontFileMap {
 public:
  // The mapping of the file, made on the first call for it; null when the
  // file cannot be mapped.
  static std::shared_ptr<const cFontFileMap> Get(const std::string& strFile) {
    static std::mutex s_lock;
    static auto* s_pMaps = new std::map<std::string, std::weak_ptr<const cFontFileMap>>();
    std::lock_guard lock(s_lock);
    std::weak_ptr<const cFontFileMap>& slot = (*s_pMaps)[strFile];
    std::shared_ptr<const cFontFileMap> pMap = slot.lock();
    if (pMap != nullptr) return pMap;
    const int fd = ::open(strFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    void* p = MAP_FAILED;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= INT_MAX)
      p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED) return nullptr;
    pMap = std::make_shared<const cFontFileMap>(p, static_cast<size_t>(st.st_size));
    slot = pMap;
    return pMap;
  }

  cFontFileMap(void* p, size_t nBytes) : m_p(p), m_nBytes(nBytes) {}
  ~cFontFileMap() { ::munmap(m_p, m_nBytes); }
  cFontFileMap(const cFontFileMap&) = delete;
  cFontFileMap& operator=(const cFontFileMap&) = delete;

  const void* Data() const { return m_p; }
  size_t Size() const { return m_nBytes; }

 private:
  void* m_p;
  size_t m_nBytes;
};

class cTtfRasterizer : public cGlyphRasterizer {
 public:
  cTtfRasterizer(TTF_Font* pFont, std::shared_ptr<const cFontFileMap> pFile)
      : m_pFont(pFont), m_pFile(std::move(pFile)) {}
  ~cTtfRasterizer() override { TTF_CloseFont(m_pFont); }

  bool Render(std::string_view cp932, GLYPHIMAGE& out) override {
    out = GLYPHIMAGE{};
    const std::string strUtf8 = Cp932ToUtf8(cp932);
    if (strUtf8.empty()) return false;
    SDL_Surface* pText =
        TTF_RenderUTF8_Blended(m_pFont, strUtf8.c_str(), SDL_Color{255, 255, 255, 255});
    if (pText == nullptr) return false;
    SDL_Surface* pArgb = pText->format->format == SDL_PIXELFORMAT_ARGB8888
                             ? pText
                             : SDL_ConvertSurfaceFormat(pText, SDL_PIXELFORMAT_ARGB8888, 0);
    bool bOk = false;
    if (pArgb != nullptr && SDL_LockSurface(pArgb) == 0) {
      out.nWidth = pArgb->w;
      out.nHeight = pArgb->h;
      out.coverage.resize(static_cast<size_t>(out.nWidth) * out.nHeight);
      for (int y = 0; y < out.nHeight; ++y) {
        const auto* pRow = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(pArgb->pixels) + static_cast<size_t>(y) * pArgb->pitch);
        for (int x = 0; x < out.nWidth; ++x)
          out.coverage[static_cast<size_t>(y) * out.nWidth + x] =
              static_cast<uint8_t>(pRow[x] >> 24);
      }
      SDL_UnlockSurface(pArgb);
      bOk = true;
    }
    if (pArgb != nullptr && pArgb != pText) SDL_FreeSurface(pArgb);
    SDL_FreeSurface(pText);
    return bOk;
  }

  void Measure(std::string_view cp932, int& nWidth, int& nHeight) override {
    nWidth = 0;
    nHeight = TTF_FontHeight(m_pFont);
    const std::string strUtf8 = Cp932ToUtf8(cp932);
    if (!strUtf8.empty() && TTF_SizeUTF8(m_pFont, strUtf8.c_str(), &nWidth, &nHeight) != 0)
      nWidth = 0;
  }

 private:
  TTF_Font* m_pFont;
  std::shared_ptr<const cFontFileMap> m_pFile;  // what m_pFont reads, when mapped
};

std::once_flag g_ttfInitOnce;
bool g_bTtfReady = false;

}  // namespace

std::unique_ptr<cGlyphRasterizer> CreateTtfRasterizer(const std::string& strFile,
                                                      int nPixelHeight) {
  std::call_once(g_ttfInitOnce, [] {
    g_bTtfReady = TTF_Init() == 0;
    if (!g_bTtfReady) ReportLog("TTF_Init failed: %s", TTF_GetError());
  });
  if (!g_bTtfReady || strFile.empty()) return nullptr;
  const int nSize = nPixelHeight < 1 ? 1 : nPixelHeight;
  // From the mapped file where it can be mapped, else through the file.
  std::shared_ptr<const cFontFileMap> pFile = cFontFileMap::Get(strFile);
  SDL_RWops* pRw = pFile != nullptr
                       ? SDL_RWFromConstMem(pFile->Data(), static_cast<int>(pFile->Size()))
                       : nullptr;
  TTF_Font* pFont =
      pRw != nullptr ? TTF_OpenFontRW(pRw, 1, nSize) : TTF_OpenFont(strFile.c_str(), nSize);
  if (pFont == nullptr) {
    ReportLog("フォント %s を開けません: %s", strFile.c_str(), TTF_GetError());
    return nullptr;
  }
  TTF_SetFontHinting(pFont, TTF_HINTING_NORMAL);
  return std::make_unique<cTtfRasterizer>(pFont, std::move(pFile));
}

// ---------------------------------------------------------------------------
// Face names to files

namespace {

// A family asked of fontconfig; empty unless the match really has it (and,
// when asked, covers Japanese: the program's texts are Japanese).
std::string MatchFamily(const std::string& strFamilyUtf8, bool bNeedJapanese) {
  std::string strFile;
  FcPattern* pPattern = FcNameParse(reinterpret_cast<const FcChar8*>(""));
  if (pPattern == nullptr) return strFile;
  FcPatternAddString(pPattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(strFamilyUtf8.c_str()));
  FcConfigSubstitute(nullptr, pPattern, FcMatchPattern);
  FcDefaultSubstitute(pPattern);
  FcResult result;
  FcPattern* pMatch = FcFontMatch(nullptr, pPattern, &result);
  if (pMatch != nullptr) {
    bool bSameFamily = false;
    FcChar8* pszFamily = nullptr;
    for (int i = 0; FcPatternGetString(pMatch, FC_FAMILY, i, &pszFamily) == FcResultMatch; ++i)
      if (strcasecmp(reinterpret_cast<const char*>(pszFamily), strFamilyUtf8.c_str()) == 0)
        bSameFamily = true;
    FcLangSet* pLangs = nullptr;
    if (bNeedJapanese &&
        (FcPatternGetLangSet(pMatch, FC_LANG, 0, &pLangs) != FcResultMatch ||
         FcLangSetHasLang(pLangs, reinterpret_cast<const FcChar8*>("ja")) == FcLangDifferentLang))
      bSameFamily = false;
    FcChar8* pszFile = nullptr;
    if (bSameFamily && FcPatternGetString(pMatch, FC_FILE, 0, &pszFile) == FcResultMatch)
      strFile = reinterpret_cast<const char*>(pszFile);
    FcPatternDestroy(pMatch);
  }
  FcPatternDestroy(pPattern);
  return strFile;
}

bool Contains(const std::string& s, const char* pszUtf8) {
  return s.find(pszUtf8) != std::string::npos;
}

// The Windows faces whose letters have their own widths.
bool IsProportionalFace(const std::string& strUtf8) {
  return Contains(strUtf8, reinterpret_cast<const char*>(u8"Ｐ")) || strUtf8.rfind("HGP", 0) == 0 ||
         strUtf8.rfind("HGS", 0) == 0 || strUtf8 == "MS UI Gothic" ||
         strUtf8 == reinterpret_cast<const char*>(u8"メイリオ") || strUtf8 == "MS PGothic";
}

bool IsJapaneseWindowsFace(const std::string& strUtf8) {
  return strUtf8.rfind(reinterpret_cast<const char*>(u8"ＭＳ"), 0) == 0 ||
         strUtf8.rfind("HG", 0) == 0 || strUtf8.rfind("MS ", 0) == 0 ||
         strUtf8 == reinterpret_cast<const char*>(u8"メイリオ");
}

}  // namespace

std::string FindFontFile(const std::string& strFaceCp932) {
  static std::once_flag s_fcInit;
  static bool s_bFc = false;
  std::call_once(s_fcInit, [] { s_bFc = FcInit() == FcTrue; });
  if (!s_bFc) return {};

  const std::string strFace = Cp932ToUtf8(strFaceCp932);
  const bool bProportional = IsProportionalFace(strFace);
  if (!strFace.empty() && !IsJapaneseWindowsFace(strFace)) {
    std::string strFile = MatchFamily(strFace, true);
    if (!strFile.empty()) return strFile;
  }
  const char* apszFamilies[2] = {bProportional ? "IPAPGothic" : "IPAGothic",
                                 bProportional ? "IPAGothic" : "IPAPGothic"};
  for (const char* pszFamily : apszFamilies) {
    std::string strFile = MatchFamily(pszFamily, false);
    if (!strFile.empty()) return strFile;
  }
  return {};
}

namespace {
RasterizerFactory g_rasterizerFactory;
}

void SetRasterizerFactory(RasterizerFactory factory) { g_rasterizerFactory = std::move(factory); }

std::unique_ptr<cGlyphRasterizer> CreateRasterizer(const std::string& strFaceCp932, int nHeight) {
  if (g_rasterizerFactory) return g_rasterizerFactory(strFaceCp932, nHeight);
  const std::string strFile = FindFontFile(strFaceCp932);
  std::unique_ptr<cGlyphRasterizer> pRaster = CreateTtfRasterizer(strFile, nHeight);
  if (pRaster) return pRaster;
  ReportLog("フォント「%s」が見つからないため、文字を記号で表示します", strFaceCp932.c_str());
  return std::make_unique<cBoxRasterizer>(nHeight);
}
