#include "records/data_path.h"

#include "app/base/file_system.h"
#include "app/base/message_box.h"

const std::array<std::string, kDataPathCount> g_DataPath = {
    "data\\",                               // 0
    "default\\",                            // 1
    "data\\stg4\\old_ver\\",                // 2
    "data\\work\\",                         // 3
    "e_data\\EditConfig.dat",               // 4
    "data\\PrjOption.dat",                  // 5
    "default\\PrjOption.dat",               // 6
    "data\\CommonPalette.cplt4",            // 7
    "default\\CommonPalette.cplt4",         // 8
    "data\\GValInfo.dat",                   // 9
    "default\\GValInfo.dat",                // 10
    "data\\stg4\\Default.stg4_***",         // 11
    "default\\stg4\\Default.stg4_***",      // 12
    "data\\WorldMap.dat",                   // 13
    "default\\WorldMap.dat",                // 14
    "data\\database\\AnimeSet.dat",         // 15
    "default\\database\\AnimeSet.dat",      // 16
    "data\\database\\Anime.dat",            // 17
    "default\\database\\Anime.dat",         // 18
    "data\\database\\Bmp_CharaExc.dat",     // 19
    "default\\database\\Bmp_CharaExc.dat",  // 20
    "data\\database\\SwordType.dat",        // 21
    "default\\database\\SwordType.dat",     // 22
    "data\\database\\Effect.dat",           // 23
    "default\\database\\Effect.dat",        // 24
    "data\\database\\CharaEffect.dat",      // 25
    "default\\database\\CharaEffect.dat",   // 26
    "data\\database\\ScrEffect.dat",        // 27
    "default\\database\\ScrEffect.dat",     // 28
    "data\\database\\Picture.dat",          // 29
    "default\\database\\Picture.dat",       // 30
    "data\\database\\Sound.dat",            // 31
    "default\\database\\Sound.dat",         // 32
    "data\\database\\Bgm.dat",              // 33
    "default\\database\\Bgm.dat",           // 34
    "data\\System.dat",                     // 35
    "default\\System.dat",                  // 36
    "data\\stg4\\c",                        // 37
    "user_data\\story\\",                   // 38
    "user_data\\challenge\\",               // 39
    "user_data\\free\\",                    // 40
    "user_data\\story\\Story",              // 41
    "user_data\\challenge\\Challenge.dat",  // 42
    "user_data\\Option.dat",                // 43
    "user_data\\",                          // 44
    "user_data\\KeyConfig.dat",             // 45
    "user_data\\Boot.dat",                  // 46
    "user_data\\Window.dat",                // 47
};

const std::array<std::string, kFileExtCount> g_szFileExt = {"cplt4", "stg4", "plt4", "rkg"};

const std::array<std::string, kFontFaceCount> g_szFontFace = {
    "System",
    "Terminal",
    "FixedSys",
    "Roman",
    "Script",
    "Modern",
    "Small Fonts",
    "MS Serif",
    "WST_Czec",
    "WST_Engl",
    "WST_Fren",
    "WST_Germ",
    "WST_Ital",
    "WST_Span",
    "WST_Swed",
    "Courier",
    "MS Sans Serif",
    "Marlett",
    "Arial",
    "Arial CE",
    "Arial CYR",
    "Arial Greek",
    "Arial TUR",
    "Arial Baltic",
    "Courier New",
    "Courier New CE",
    "Courier New CYR",
    "Courier New Greek",
    "Courier New TUR",
    "Courier New Baltic",
    "Lucida Console",
    "Lucida Sans Unicode",
    "Times New Roman",
    "Times New Roman CE",
    "Times New Roman CYR",
    "Times New Roman Greek",
    "Times New Roman TUR",
    "Times New Roman Baltic",
    "Wingdings",
    "Symbol",
    "Verdana",
    "Arial Black",
    "Comic Sans MS",
    "Impact",
    "Georgia",
    "Franklin Gothic Medium",
    "Palatino Linotype",
    "Tahoma",
    "Trebuchet MS",
    "Webdings",
    "Estrangelo Edessa",
    "Gautami",
    "Latha",
    "Mangal",
    "MV Boli",
    "Raavi",
    "Shruti",
    "Tunga",
    "Sylfaen",
    "ＭＳ ゴシック",
    "ＭＳ Ｐゴシック",
    "MS UI Gothic",
    "ＭＳ 明朝",
    "ＭＳ Ｐ明朝",
    "Microsoft Sans Serif",
    "Gulim",
    "GulimChe",
    "Dotum",
    "DotumChe",
    "Batang",
    "BatangChe",
    "Gungsuh",
    "GungsuhChe",
    "SimSun",
    "NSimSun",
    "SimSun-PUA",
    "SimHei",
    "MingLiU",
    "PMingLiU",
    "Arial Narrow",
    "Book Antiqua",
    "Bookman Old Style",
    "Century",
    "Century Gothic",
    "Garamond",
    "MS Outlook",
    "HGｺﾞｼｯｸE",
    "HGPｺﾞｼｯｸE",
    "HGSｺﾞｼｯｸE",
    "HG丸ｺﾞｼｯｸM-PRO",
    "HG創英角ｺﾞｼｯｸUB",
    "HGP創英角ｺﾞｼｯｸUB",
    "HGS創英角ｺﾞｼｯｸUB",
    "HG創英角ﾎﾟｯﾌﾟ体",
    "HGP創英角ﾎﾟｯﾌﾟ体",
    "HGS創英角ﾎﾟｯﾌﾟ体",
    "HG正楷書体-PRO",
    "InMusicSym",
    "Kartika",
    "Vrinda",
    "メイリオ",
    "MT Extra",
    "HGｺﾞｼｯｸM",
    "HGPｺﾞｼｯｸM",
    "HGSｺﾞｼｯｸM",
    "HG行書体",
    "HGP行書体",
    "HGS行書体",
    "HG教科書体",
    "HGP教科書体",
    "HGS教科書体",
    "HG明朝B",
    "HGP明朝B",
    "HGS明朝B",
    "HG明朝E",
    "HGP明朝E",
    "HGS明朝E",
    "HG創英ﾌﾟﾚｾﾞﾝｽEB",
    "HGP創英ﾌﾟﾚｾﾞﾝｽEB",
    "HGS創英ﾌﾟﾚｾﾞﾝｽEB",
    "OCRB",
    "Sydnie",
    "",
};

namespace {

// A folder entry of the table without its trailing backslash.
std::string FolderName(const std::string& strEntry) {
  std::string str = strEntry;
  if (!str.empty() && str.back() == '\\') str.pop_back();
  return str;
}

}  // namespace

int CreateDefaultData() {
  if (IsDirectory(g_DataPath[DATAPATH_DATA])) return 1;
  if (!IsDirectory(g_DataPath[DATAPATH_DEFAULT])) return 0;
  const int nAnswer = ShowMessageBox("データが存在しません！デフォルトデータを作成しますか？\n",
                                     "デフォルトデータ作成の確認",
                                     MsgBoxType{MsgBoxButtons::YesNo, MsgBoxIcon::Question});
  if (nAnswer != kMsgBoxYes) return 0;

  // Copy beside the target and rename when complete: a copy that fails
  // half-way leaves only the temporary folder, which is removed.
  const std::string strSource = FolderName(g_DataPath[DATAPATH_DEFAULT]);
  const std::string strTarget = FolderName(g_DataPath[DATAPATH_DATA]);
  const std::string strTemp = strTarget + ".partial";
  RemoveTree(strTemp);
  if (CopyTree(strSource, strTemp) && RenamePath(strTemp, strTarget)) return 1;
  RemoveTree(strTemp);
  return 0;
}
