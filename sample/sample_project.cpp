// The records of the sample game: the System record, the ten database
// tables, the common palette, the stages, the world map and "System.ini".
//
// Everything is made with the project's own record classes and written with
// their own writers, as the editor would write it.

#include <array>
#include <string>
#include <vector>

#include "app/base/report_log.h"
#include "flow/command_table.h"
#include "flow/flow.h"
#include "records/data_path.h"
#include "records/database.h"
#include "records/record.h"
#include "records/system.h"
#include "sample/sample_flows.h"
#include "sample/sample_game.h"
#include "sample/sample_palette.h"
#include "stagedata/common_palette.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage.h"
#include "stagedata/stage_file.h"

namespace {

// ---- Numbers the records refer to -----------------------------------------------

// Rows of the tables.
enum : int16_t { ANIMESET_HERO = 1, ANIMESET_SLIME = 2 };
enum : int16_t { SOUND_JUMP = 1, SOUND_SHOT = 2, SOUND_COIN = 3 };
enum : int32_t { BGM_TITLE = 1, BGM_STAGE = 2 };
enum : int16_t {
  CHARAEFFECT_DEFEAT = 1,
  CHARAEFFECT_APPEAR,
  CHARAEFFECT_GHOST,
  CHARAEFFECT_WOBBLE,
  CHARAEFFECT_FADE,
  CHARAEFFECT_ROWS
};
enum : int16_t { SCREFFECT_BUMP = 1 };
enum : int32_t { PICTURE_GO = 1 };
// Entries of the common palette.
enum : int16_t {
  BLOCK_GRASS = 1,
  BLOCK_EARTH,
  BLOCK_BRICK,
  BLOCK_STONE,
  BLOCK_SPIKES,
  BLOCK_WOOD,
  BLOCK_STEEL,
  BLOCK_GOAL,
  BLOCK_COUNT
};
enum : int16_t {
  CHARA_HERO = 1,
  CHARA_SLIME,
  CHARA_GHOST,
  CHARA_WOBBLER,
  CHARA_TURRET,
  CHARA_LIFT,
  CHARA_SIGN,
  CHARA_COUNT
};
enum : int16_t { ITEM_COIN = 1, ITEM_HEART, ITEM_GOAL, ITEM_COUNT };

// Key-condition lists: 0..9 directions, 10 + n button n.
enum : int { KEY_LEFT = 1, KEY_RIGHT = 2, KEY_UP_LEFT = 5, KEY_DOWN_LEFT = 6 };
enum : int { KEY_UP_RIGHT = 7, KEY_DOWN_RIGHT = 8, KEY_BUTTON1 = 11, KEY_BUTTON2 = 12 };
enum : uint8_t { KEYSTATE_PRESSED = 1 };
// Triggers.
enum : int8_t { TRIGGER_ALWAYS = 0, TRIGGER_WALL = 10, TRIGGER_CEILING = 14 };
// The movement mode of a flier that passes through the map.
constexpr int8_t kFlyThrough = 1;
// ピクチャーの表示: shown for its time; フローの操作: deletion.
enum : int { PICDISPLAY_TIME = 2, FLOWOP_DELETE = 4 };
// A placed character's link flag of its flows, the last group.
constexpr int kCharaFlowGroup = kCharaLinkGroups - 1;

// ---- Database ---------------------------------------------------------------------

template <class Table>
std::string TableFileBytes(Table& table) {
  cRecordWriter writer;
  writer.WriteI32(g_nDataVersion);
  writer.WriteU32(static_cast<uint32_t>(table.size()));
  for (auto& row : table) row.Save(writer);
  return writer.Data();
}

// Frames of {cell, tenths of a second}.
cCheckedVector<cAnimeFrame> Frames(std::initializer_list<std::pair<int, int>> frames) {
  cCheckedVector<cAnimeFrame> list;
  for (const auto& [nCell, nTenths] : frames) {
    cAnimeFrame& f = list.emplace_back();
    f.m_nCell = nCell;
    f.m_nDuration = nTenths;
  }
  return list;
}

// A set whose flying slots move as its standing and walking ones; the
// column offsets and the slots' names are a new set's.
cAnimeSetDef AnimeSet(const char* pszName, const cCheckedVector<cAnimeFrame>& stand,
                      const cCheckedVector<cAnimeFrame>& walk) {
  cAnimeSetDef set;
  set.m_strName = pszName;
  set.m_Slots[cAnimeSetDef::SLOT_STAND].m_Frames = stand;
  set.m_Slots[cAnimeSetDef::SLOT_WALK].m_Frames = walk;
  set.m_Slots[cAnimeSetDef::SLOT_FLY].m_Frames = stand;
  set.m_Slots[cAnimeSetDef::SLOT_FLYMOVE].m_Frames = walk;
  return set;
}

// Fills the database with the sample's rows.
void MakeDatabase(cDatabase& db) {
  db.SetDefaults();
  db.m_AnimeSet.push_back(
      AnimeSet("主人公", Frames({{0, 10}}), Frames({{1, 1}, {2, 1}, {3, 1}, {2, 1}})));
  db.m_AnimeSet.push_back(
      AnimeSet("スライム", Frames({{0, 6}, {2, 3}}), Frames({{1, 2}, {0, 2}, {2, 2}, {0, 2}})));

  db.m_BmpCharaExc.resize(1);
  db.m_Effect.resize(1);
  db.m_Picture.resize(2);
  db.m_Picture[PICTURE_GO].m_strName = "スタート";
  db.m_Picture[PICTURE_GO].m_strFile = "bmp\\picture\\Go.bmp";

  db.m_ScrEffect.resize(2);
  db.m_ScrEffect[0].m_nKind = SCREFFECT_NONE;
  cScrEffectDef& bump = db.m_ScrEffect[SCREFFECT_BUMP];
  bump.m_strName = "頭突き";
  bump.m_nKind = SCREFFECT_SHAKE_V;
  bump.m_anParam[0] = 3;  // run time, tenths
  bump.m_anParam[1] = 6;  // pixels up and down
  bump.m_anParam[2] = 2;  // swings

  db.m_CharaEffect.resize(CHARAEFFECT_ROWS);
  db.m_CharaEffect[0].m_nKind = CHARAEFFECT_NONE;
  cCharaEffectDef& burst = db.m_CharaEffect[CHARAEFFECT_DEFEAT];
  burst.m_strName = "破裂";
  burst.m_nKind = CHARAEFFECT_BURST;
  burst.m_anParam[0] = 5;   // run time, tenths
  burst.m_anParam[2] = 24;  // end offset (from the start offset 0)
  // The hero appears in a circle that opens from his middle.
  cCharaEffectDef& appear = db.m_CharaEffect[CHARAEFFECT_APPEAR];
  appear.m_strName = "登場";
  appear.m_nKind = CHARAEFFECT_CIRCLE;
  appear.m_anParam[0] = 5;   // run time, tenths
  appear.m_anParam[1] = 0;   // radius from
  appear.m_anParam[2] = 24;  // to: past the corners of a 32-pixel cell
  appear.m_anParam[3] = 1;   // bands of one row: a round disc
  // The challenge stage's ghost is half transparent for as long as it lives
  // (looping; its interval keeps the default, so it never blinks) and
  // fades out in a tint toward white when defeated.
  cCharaEffectDef& ghost = db.m_CharaEffect[CHARAEFFECT_GHOST];
  ghost.m_strName = "半透明";
  ghost.m_nKind = CHARAEFFECT_TRANSLUCENT;
  ghost.m_anParam[0] = 10;
  cCharaEffectDef& fade = db.m_CharaEffect[CHARAEFFECT_FADE];
  fade.m_strName = "白く消える";
  fade.m_nKind = CHARAEFFECT_TINT;
  fade.m_anParam[0] = 4;
  fade.m_anParam[1] = 1;  // blend level from
  fade.m_anParam[2] = 4;  // to
  fade.m_anParam[3] = pal::kWhite;
  // Its jelly slime wobbles: rows swing by up to 3 pixels and back, looping.
  cCharaEffectDef& wobble = db.m_CharaEffect[CHARAEFFECT_WOBBLE];
  wobble.m_strName = "ゆらゆら";
  wobble.m_nKind = CHARAEFFECT_WAVE_H;
  wobble.m_anParam[0] = 5;
  wobble.m_anParam[1] = 0;  // amplitude from
  wobble.m_anParam[2] = 3;  // to
  wobble.m_anParam[3] = 1;  // one wave over the cell
  wobble.m_anParam[4] = 2;  // bands of two rows

  db.m_Sound.resize(4);
  const char* const sounds[4][2] = {{"", ""},
                                    {"ジャンプ", "wave\\jump.wav"},
                                    {"ショット", "wave\\shot.wav"},
                                    {"コイン", "wave\\coin.wav"}};
  for (int i = 1; i < 4; ++i) {
    db.m_Sound[i].m_strName = sounds[i][0];
    db.m_Sound[i].m_strFile = sounds[i][1];
  }
  db.m_Bgm.resize(3);
  db.m_Bgm[BGM_TITLE].m_strName = "タイトル";
  db.m_Bgm[BGM_TITLE].m_strFile = "bgm\\Title.ogg";
  db.m_Bgm[BGM_STAGE].m_strName = "ステージ";
  db.m_Bgm[BGM_STAGE].m_strFile = "bgm\\Stage.mid";
}

bool WriteDatabase(cDatabase& db) {
  const std::string files[10] = {
      TableFileBytes(db.m_AnimeSet),    TableFileBytes(db.m_Anime),
      TableFileBytes(db.m_BmpCharaExc), TableFileBytes(db.m_SwordType),
      TableFileBytes(db.m_Effect),      TableFileBytes(db.m_CharaEffect),
      TableFileBytes(db.m_ScrEffect),   TableFileBytes(db.m_Picture),
      TableFileBytes(db.m_Sound),       TableFileBytes(db.m_Bgm),
  };
  // The "default\" twins of the ten table paths follow each of them.
  for (int i = 0; i < 10; ++i)
    if (!WriteSampleFile(g_DataPath[DATAPATH_DATABASE_FIRST + 2 * i + 1], files[i])) return false;
  return true;
}

// ---- System record -------------------------------------------------------------

void MakeSystem(cSystem& sys) {
  sys.m_strTitle = "サンプルアドベンチャー";
  // The title menu as captions in a window (the Japanese texts), not the
  // picture menu.
  sys.m_bMenuPicture = 0;
  sys.m_nStageCount = 1;  // challenge stages
  sys.m_anLives = {3, 3, 3, 99};
  sys.m_abInfiniteLives = {0, 0, 1, 1};
  sys.m_Texts[0] = "ステージ";  // the stage select's row label

  // Status display: scores with six digits, HP with a warning below a third,
  // no SP (the hero has none).
  sys.m_StatusItems[0].m_nDigits = 6;
  sys.m_StatusItems[1].m_nDigits = 6;
  sys.m_StatusItems[2].m_bShowNumber = 1;
  sys.m_StatusItems[2].m_nThreshold = 33;
  sys.m_StatusItems[2].m_bPercent = 1;
  sys.m_StatusItems[3].m_bShow = 0;
  // Rankings without the SP genre.
  for (cGenreFlags& genres : sys.m_RankGenres) genres.m_abGenres[4] = 0;

  static const char* const kSystemSounds[kSystemSoundCount] = {
      "wave\\cursor.wav",  "wave\\decide.wav",  "wave\\cancel.wav", "wave\\buzzer.wav",
      "wave\\menu.wav",    "wave\\save.wav",    "wave\\switch.wav", "wave\\se07.wav",
      "wave\\miss.wav",    "wave\\defeat.wav",  "wave\\se10.wav",   "wave\\se11.wav",
      "wave\\message.wav", "wave\\warning.wav", "wave\\clear.wav",  "wave\\extra.wav",
      "wave\\ranking.wav"};
  for (int i = 0; i < kSystemSoundCount; ++i) sys.m_SystemSounds[i] = kSystemSounds[i];
  // Music slots: title, world map and game menu, stage select, options.
  sys.m_anSceneBgm = {BGM_TITLE, BGM_STAGE, BGM_STAGE, BGM_TITLE};

  // The option rows by function: palette (hidden: the sample ships no 8-bit
  // palette files), music, sound volume, ranking mode, ranking name, back.
  static const char* const kOptionCaptions[6] = {
      "パレット", "BGM", "SE", "ランキング登録", "ランキング登録名", "もどる"};
  for (int i = 0; i < 6; ++i) sys.m_OptionMenu[i].m_strCaption = kOptionCaptions[i];
  sys.m_OptionMenu[0].m_bShow = 0;

  // "System.ini" defaults: Direct3D in a window, no frame-rate display.
  sys.m_IniEntries[0].m_nValue = 1;  // Direct3D
  sys.m_IniEntries[1].m_nValue = 1;  // WindowMode
  sys.m_IniEntries[7].m_nValue = 0;  // ShowFps
}

// The settings file beside the game: the option keys with the values above.
std::string SystemIniText(cSystem& sys) {
  std::string text;
  for (cIniEntry& entry : sys.m_IniEntries) {
    if (entry.m_nType != 0) continue;  // FreeStage: empty, starts at the title
    text += entry.m_strKey + "=" + std::to_string(entry.m_nValue) + "\n";
  }
  return text + "Exit\n";
}

// ---- Flows --------------------------------------------------------------------------

cFlowCommand StageClear() {
  cFlowCommand c = Command(CMD_STAGE_CLEAR, 0);
  c.m_Params[0] = 2;  // no next part: back to the world map or the stage select
  return c;
}

// The hero's flows: the arrows walk while held, Z jumps (higher while held),
// X fires a spark.
void AddHeroFlows(cEdChara& hero) {
  hero.m_vFlow.push_back(
      Flow(TRIGGER_ALWAYS, {Keys({KEY_LEFT, KEY_UP_LEFT, KEY_DOWN_LEFT}, 1)}, {Walk(2)}, 1));
  hero.m_vFlow.push_back(
      Flow(TRIGGER_ALWAYS, {Keys({KEY_RIGHT, KEY_UP_RIGHT, KEY_DOWN_RIGHT}, 1)}, {Walk(3)}, 1));

  cFlowCommand jump = Command(CMD_JUMP, 0);
  jump.m_Params[0] = 1;  // the height follows the key
  jump.m_Params[2] = 7;  // up to 7 half blocks (3.5 blocks)
  jump.m_sSound = SOUND_JUMP;
  hero.m_vFlow.push_back(Flow(TRIGGER_ALWAYS, {Keys({KEY_BUTTON1}, 0)}, {jump}));

  cFlowCommand shot = Command(CMD_SHOT, 1);
  CreateShot(shot.m_pShot);
  cEdShot& s = *shot.m_pShot;
  // Straight forward and straight on: the pattern, direction and movement
  // of new settings.
  s.m_nCount = 1;
  s.m_nGraphic = 1;
  s.m_nSpeed = 80;  // 8 pixels a frame
  s.m_bRange = 1;
  s.m_nRange = 20;  // half blocks
  s.m_nPower = 1;
  s.m_nImpact = 2;
  shot.m_sSound = SOUND_SHOT;
  hero.m_vFlow.push_back(
      Flow(TRIGGER_ALWAYS, {Keys({KEY_BUTTON2}, 0)}, {shot, Command(CMD_WAIT, 2)}));

  // A bump of the head on a block shakes the screen and flashes it white.
  cFlowCommand shake = Command(CMD_SCREEN_EFFECT, 0);
  shake.m_Params[0] = SCREFFECT_BUMP;
  shake.m_bParallel = 1;  // the flash starts with it
  cFlowCommand flash = Command(CMD_SCREEN_COLOR, 0);
  for (const int i : {0, 1, 2}) flash.m_Params[i] = 255;  // white
  flash.m_Params[3] = 40;                                 // strength, percent
  flash.m_Params[5] = 1;                                  // a tenth a flash
  flash.m_Params[6] = 1;                                  // flashing
  flash.m_Params[7] = 1;                                  // once
  hero.m_vFlow.push_back(Flow(TRIGGER_CEILING, {}, {shake, flash}));
}

// The turret stands still and fires a fan of three sparks ahead of it every
// two seconds while it is in view.
void AddTurretFlows(cEdChara& turret) {
  cFlowCommand shot = Command(CMD_SHOT, 0);
  CreateShot(shot.m_pShot);
  cEdShot& s = *shot.m_pShot;
  s.m_nPattern = 2;  // 拡散, ahead (direction 0)
  s.m_nCount = 3;
  s.m_anPatternParam[0] = 20;  // degrees apart
  s.m_nGraphic = 2;
  s.m_nSpeed = 30;  // 3 pixels a frame
  s.m_bRange = 1;
  s.m_nRange = 16;  // half blocks
  s.m_nPower = 1;
  s.m_nImpact = 2;
  shot.m_sSound = SOUND_SHOT;
  shot.m_bSoundOnScreen = 1;
  turret.m_vFlow.push_back(Flow(TRIGGER_ALWAYS, {}, {shot, Command(CMD_WAIT, 20)}));
}

// The first stage's hero shows the "GO!" sign at the middle of the screen
// for a second as play begins, without holding the game, and the flow then
// deletes itself.
cFlow GoSignFlow() {
  cFlowCommand picture = Command(CMD_SHOW_PICTURE, 0);
  picture.m_Params[0] = PICTURE_GO;  // at the screen's centre, parameter 1 keeping 0
  picture.m_Params[7] = 100;         // size, percent
  picture.m_Params[8] = PICDISPLAY_TIME;
  picture.m_Params[9] = 10;  // tenths
  cFlowCommand done = Command(CMD_FLOW_CONTROL, 0);
  done.m_Params[0] = FLOWOP_DELETE;  // parameter 1 keeps 0: this flow
  return Flow(TRIGGER_ALWAYS, {}, {picture, done});
}

// The sign: once an attempt, when the hero comes within three half blocks of
// it, it counts its readers in common variable 1, opens a window over
// itself that tells the coins taken (stage variable 1) and its readers, and
// waits for the decide key; then the game stands still for half a second.
// Stage variable 2 marks it read in this attempt.
void AddSignFlows(cEdChara& sign) {
  cCondition near;
  near.m_cKind = CONDKIND_DISTANCE;
  near.m_cObject = 0;  // the hero
  near.m_nConst = 3;
  near.m_cAxis = 6;  // as the crow flies
  cCondition unread;
  unread.m_cKind = CONDKIND_STAGEVAR;
  unread.m_sVarIndex = 2;
  cFlowCommand message = Command(CMD_MESSAGE, 0);
  message.m_strText =
      "かんばん：コインを #S1 まい ひろったね！\nこの かんばんを よむのは #C1 かいめ。";
  message.m_Params[0] = 1;   // above the sign
  message.m_Params[5] = 1;   // kept on the screen
  message.m_Params[8] = 1;   // stops the game until the key
  message.m_Params[9] = 1;   // variables substituted
  message.m_Params[14] = 1;  // in a window frame
  cFlowCommand wait = Command(CMD_GAME_WAIT, 0);
  wait.m_Params[0] = 5;  // tenths: 30 frames
  cFlow flow =
      Flow(TRIGGER_ALWAYS, {},
           {CountVariable(VARKIND_COMMON, 1), CountVariable(VARKIND_STAGE, 2), message, wait});
  flow.m_Conditions.push_back(near);
  flow.m_Conditions.push_back(unread);
  sign.m_vFlow.push_back(flow);
}

// ---- Common palette ---------------------------------------------------------------

cEdBlock Block(const char* pszName, int16_t nGraphic, int8_t nHitKind) {
  cEdBlock b;
  b.m_strName = pszName;
  b.m_nGraphic = nGraphic;  // on the block sheet
  b.m_nHitKind = nHitKind;
  return b;
}

void MakeCommonPalette(cCommonPalette& palette) {
  palette.m_vBlock.resize(BLOCK_COUNT);
  palette.m_vBlock[BLOCK_GRASS] = Block("草地", 1, BLOCKHIT_SOLID);
  palette.m_vBlock[BLOCK_EARTH] = Block("土", 2, BLOCKHIT_SOLID);
  palette.m_vBlock[BLOCK_BRICK] = Block("レンガ", 3, BLOCKHIT_SOLID);
  palette.m_vBlock[BLOCK_STONE] = Block("石の足場", 4, BLOCKHIT_SOLID);
  palette.m_vBlock[BLOCK_SPIKES] = Block("トゲ", 5, BLOCKHIT_FATAL);
  palette.m_vBlock[BLOCK_WOOD] = Block("木の床", 6, BLOCKHIT_SOLID);
  palette.m_vBlock[BLOCK_STEEL] = Block("鉄の壁", 7, BLOCKHIT_SOLID);
  // The goal block marks the end of a stage; the goal flag beside it, an
  // item, clears the stage.
  palette.m_vBlock[BLOCK_GOAL] = Block("ゴールブロック", 9, BLOCKHIT_SOLID);

  palette.m_vChara.resize(CHARA_COUNT);
  cEdChara& hero = palette.m_vChara[CHARA_HERO];
  hero.m_strName = "主人公";
  hero.m_nKind = CHARAKIND_PLAYER;
  hero.m_nFaction = 0;
  hero.m_nGraphic = 1;  // character sheet 1, row 1
  hero.m_nAnimeSet = ANIMESET_HERO;
  hero.m_nDir = 1;     // facing right
  hero.m_bFixDir = 0;  // walking turns him
  hero.m_nMaxHp = 5;
  hero.m_nActRange = 3;  // always active
  hero.m_nCharaEffect = CHARAEFFECT_APPEAR;
  hero.m_bCharaEffectLoop = 0;
  AddHeroFlows(hero);

  cEdChara& slime = palette.m_vChara[CHARA_SLIME];
  // A computer character of faction 1 facing left, whose facing only its
  // turn command changes: a new definition's.
  slime.m_strName = "スライム";
  slime.m_nGraphic = 2;
  slime.m_nAnimeSet = ANIMESET_SLIME;
  slime.m_nMaxHp = 2;
  slime.m_nPower = 1;
  slime.m_nImpact = 3;
  slime.m_nScore = 100;
  slime.m_nDeathEffect = CHARAEFFECT_DEFEAT;
  AddPacerFlows(slime);
  // The challenge stage's slimes, running their effects from the start of
  // their lives (looping, a new definition's default).
  cEdChara& ghost = palette.m_vChara[CHARA_GHOST] = slime;
  ghost.m_strName = "おばけスライム";
  ghost.m_nCharaEffect = CHARAEFFECT_GHOST;
  ghost.m_nDeathEffect = CHARAEFFECT_FADE;
  cEdChara& wobbler = palette.m_vChara[CHARA_WOBBLER] = slime;
  wobbler.m_strName = "ぷるぷるスライム";
  wobbler.m_nCharaEffect = CHARAEFFECT_WOBBLE;
  // The challenge stage's turret: a slime that does not walk but shoots.
  cEdChara& turret = palette.m_vChara[CHARA_TURRET];
  turret.m_strName = "砲台スライム";
  turret.m_nGraphic = slime.m_nGraphic;
  turret.m_nAnimeSet = ANIMESET_SLIME;
  turret.m_nMaxHp = 3;
  turret.m_nPower = 1;
  turret.m_nScore = 300;
  turret.m_nDeathEffect = CHARAEFFECT_DEFEAT;
  AddTurretFlows(turret);

  // A moving platform: a block character that flies through the map and
  // carries whoever stands on it. It is of the hero's faction, so that
  // neither touches nor shots hurt it.
  cEdChara& lift = palette.m_vChara[CHARA_LIFT];
  lift.m_strName = "動く足場";
  lift.m_nGraphic = 3;  // character sheet 1, row 3
  lift.m_nFaction = 0;
  lift.m_nFly = kFlyThrough;
  lift.m_bBlockChara = 1;
  AddLiftFlows(lift, 30, 20);  // 11 and a quarter cells each way

  // A sign on the high platform of the first stage, of the hero's faction.
  cEdChara& sign = palette.m_vChara[CHARA_SIGN];
  sign.m_strName = "看板";
  sign.m_nGraphic = 4;  // character sheet 1, row 4
  sign.m_nFaction = 0;
  AddSignFlows(sign);

  palette.m_vItem.resize(ITEM_COUNT);
  cEdItem& coin = palette.m_vItem[ITEM_COIN];
  coin.m_strName = "コイン";
  coin.m_nGraphic = 1;
  coin.m_nTakeSound = SOUND_COIN;
  coin.m_vItemCommand.push_back(ItemAddStatus(2, 3, 100));  // system score + 100
  // Stage variable 1 counts the coins taken; the sign tells it.
  cFlowCommand count = CountVariable(VARKIND_STAGE, 1);
  count.m_cSet = COMMANDSET_ITEM;
  count.m_cType = CMD_STATUS - kItemCommandOffset;
  count.m_bParallel = 0;
  coin.m_vItemCommand.push_back(count);
  cEdItem& heart = palette.m_vItem[ITEM_HEART];
  heart.m_strName = "ハート";
  heart.m_nGraphic = 2;
  heart.m_nTakeSound = SOUND_COIN;
  heart.m_vItemCommand.push_back(ItemAddStatus(0, 1, 2));  // the hero's HP + 2
  cEdItem& flag = palette.m_vItem[ITEM_GOAL];
  flag.m_strName = "ゴールの旗";
  flag.m_nGraphic = 3;
  flag.m_bShowTaken = 0;
  cFlowCommand clear = StageClear();
  clear.m_cSet = COMMANDSET_ITEM;
  clear.m_cType = CMD_STAGE_CLEAR - kItemCommandOffset;
  flag.m_vItemCommand.push_back(clear);
}

// ---- Stages ---------------------------------------------------------------------------

// A stage drawn as text, one character per cell:
//   '#' grass, '=' earth, 'B' brick, 'P' stone, '^' spikes, 'W' wood,
//   'M' steel, 'G' goal block; 'H' hero, 'E' slime, 'g' ghost slime,
//   'j' jelly slime, 'T' turret, 'L' lift, 's' sign; 'c' coin, 'h' heart,
//   'F' goal flag; '.' empty.
struct STAGEDEF {
  const char* pszFile;  // stored path under "default\"
  const char* pszName;
  std::vector<const char*> rows;
  bool bGoSign = false;  // the hero shows the "GO!" sign as play begins
};

template <class Entry>
void LinkAll(Entry& placed, int16_t nIndex) {
  // Every attribute group taken from the common palette entry.
  placed.m_nLinkSrc = LINKSRC_COMMON;
  placed.m_nLinkNo = nIndex;
  std::fill(placed.m_vLinkFlags.begin(), placed.m_vLinkFlags.end(), 1);
}

bool MakeStage(cEdStage& stage, const STAGEDEF& def, const cCommonPalette& palette) {
  const int nHeight = static_cast<int>(def.rows.size());
  const int nWidth = static_cast<int>(std::string(def.rows[0]).size());
  stage.SetDefaults();
  stage.m_strName = def.pszName;
  stage.m_nWidth = nWidth;
  stage.m_nHeight = nHeight;
  stage.m_bTimeLimit = 1;
  stage.m_nTimeLimit = 300;
  stage.m_nBgm = BGM_STAGE;
  stage.m_nBgmOption = 1;
  // Backgrounds: the sky, then far hills at half the camera's speed.
  stage.m_vBgLayer.resize(2);
  stage.m_vBgLayer[0].m_bFill = 1;
  stage.m_vBgLayer[0].m_nFillColour = pal::Shade(pal::kSky, 11);
  stage.m_vBgLayer[1].m_bFill = 0;
  stage.m_vBgLayer[1].m_strBitmap = "bmp\\back\\Hills.bmp";
  stage.m_vBgLayer[1].m_dSpeedX = 0.5;
  stage.m_vBgLayer[1].m_dSpeedY = 0.0;

  for (int y = 0; y < nHeight; ++y) {
    const std::string row = def.rows[static_cast<size_t>(y)];
    if (static_cast<int>(row.size()) != nWidth) {
      ReportLog("sample: row %d of %s is %d cells wide, not %d", y, def.pszFile,
                static_cast<int>(row.size()), nWidth);
      return false;
    }
    for (int x = 0; x < nWidth; ++x) {
      const char ch = row[static_cast<size_t>(x)];
      int16_t nBlock = 0, nChara = 0, nItem = 0;
      switch (ch) {
        case '#':
          nBlock = BLOCK_GRASS;
          break;
        case '=':
          nBlock = BLOCK_EARTH;
          break;
        case 'B':
          nBlock = BLOCK_BRICK;
          break;
        case 'P':
          nBlock = BLOCK_STONE;
          break;
        case '^':
          nBlock = BLOCK_SPIKES;
          break;
        case 'W':
          nBlock = BLOCK_WOOD;
          break;
        case 'M':
          nBlock = BLOCK_STEEL;
          break;
        case 'G':
          nBlock = BLOCK_GOAL;
          break;
        case 'H':
          nChara = CHARA_HERO;
          break;
        case 'E':
          nChara = CHARA_SLIME;
          break;
        case 'g':
          nChara = CHARA_GHOST;
          break;
        case 'j':
          nChara = CHARA_WOBBLER;
          break;
        case 's':
          nChara = CHARA_SIGN;
          break;
        case 'T':
          nChara = CHARA_TURRET;
          break;
        case 'L':
          nChara = CHARA_LIFT;
          break;
        case 'c':
          nItem = ITEM_COIN;
          break;
        case 'h':
          nItem = ITEM_HEART;
          break;
        case 'F':
          nItem = ITEM_GOAL;
          break;
        case '.':
          break;
        default:
          ReportLog("sample: unknown cell '%c' in %s", ch, def.pszFile);
          return false;
      }
      if (nBlock != 0) {
        cEdBlock& b = stage.m_vPlacedBlock.emplace_back(palette.m_vBlock[nBlock]);
        LinkAll(b, nBlock);
        b.m_nTileX = static_cast<int16_t>(x);
        b.m_nTileY = static_cast<int16_t>(y);
      } else if (nChara != 0) {
        cEdChara& c = stage.m_vPlacedChara.emplace_back(palette.m_vChara[nChara]);
        LinkAll(c, nChara);
        if (nChara == CHARA_HERO && def.bGoSign) {
          // The hero's own flows, the palette's and the sign's.
          c.m_vLinkFlags[kCharaFlowGroup] = 0;
          c.m_vFlow.push_back(GoSignFlow());
        }
        c.m_nTileX = static_cast<int16_t>(x);
        c.m_nTileY = static_cast<int16_t>(y);
      } else if (nItem != 0) {
        cEdItem& i = stage.m_vPlacedItem.emplace_back(palette.m_vItem[nItem]);
        LinkAll(i, nItem);
        i.m_nTileX = static_cast<int16_t>(x);
        i.m_nTileY = static_cast<int16_t>(y);
      }
    }
  }
  return true;
}

// The hero stands on row 12 above the ground (rows 13 and 14); a pit is a
// gap in the ground down to the bottom edge, where a fall ends the life.
// Every ledge and platform is at most three blocks above the one it is
// reached from: the hero's jump rises three and a half.
// The goal block lies in the ground near the far end and the goal flag
// beside it: touching the flag clears the stage. The first stage has a coin
// on the ground a few steps from the start and more than a screen of ground
// before its pit, so a new player learns to walk and jump before the first
// fall; a lift goes to and fro above the bricks past the pit.
const STAGEDEF kStages[] = {
    {"default\\stg4\\w01-1.stg4_695",
     "はじまりの草原",
     {
         "M................................................................M",
         "M................................................................M",
         "M................................................................M",
         "M................................................................M",
         "M................................................................M",
         "M................................................................M",
         "M................................................................M",
         "M........................c.c.cs..................................M",
         "M.......................PPPPPPP..................................M",
         "M.............c...............................c.c.c..............M",
         "M............PPP...............L............PPPPPPPPP............M",
         "M...................................BB.....................B.....M",
         "M..H..c.......E...........h.........BB..........E......^^..B...F.M",
         "M###########################...##############################G###M",
         "M===========================...==================================M",
     },
     true},
    {"default\\stg4\\w02-1.stg4_695",
     "トゲの谷",
     {
         "M....................................................................M",
         "M....................................................................M",
         "M....................................................................M",
         "M....................................................................M",
         "M....................................................................M",
         "M....................................................................M",
         "M....................................................................M",
         "M......................................c.c...........................M",
         "M.....................................WWWWW..........................M",
         "M..............cc.................c.c..........E...........h.........M",
         "M.............PPPP...............WWWWW......BBBBBBBB......PPPP.......M",
         "M...................BB......................B......B.............B...M",
         "M..H.......E........BB^^^^.E................B......B...E.^^^.....B..FM",
         "M###########################...##############......###########..###G#M",
         "M===========================...==============......===========..=====M",
     }},
    {"default\\stg4\\c01-1.stg4_695",
     "チャレンジ１",
     {
         "M..................................................M",
         "M..................................................M",
         "M..................................................M",
         "M..................................................M",
         "M..................................................M",
         "M..................................................M",
         "M..................................................M",
         "M...............................h..................M",
         "M..............................PPPP................M",
         "M.........Bc.c.c...........cc...................c..M",
         "M........BB...............PPPP........BBBBBBBBBB...M",
         "M.......BBB..........g................B............M",
         "M..H...BBBB........BBBBB......j.....T.B.......F....M",
         "M######BBBB....#######################B#####G######M",
         "M======BBBB....=======================B============M",
     }},
};

bool WriteStages(const cStageRefs& tables, const cCommonPalette& palette) {
  for (const STAGEDEF& def : kStages) {
    cEdStage stage;
    if (!MakeStage(stage, def, palette)) return false;
    if (!MakeParentFolders(def.pszFile) ||
        !WriteStageFile(stage, def.pszFile, tables.WithStage(&stage))) {
      ReportLog("sample: cannot write %s", def.pszFile);
      return false;
    }
  }
  return true;
}

// ---- World map -----------------------------------------------------------------------

// Chips by character: '~' water, 'T' forest, '^' mountain, 'o' rocks,
// '#' castle wall (all walls); '.' grass, '-' road, '=' bridge, ':' sand,
// '*' flowers. The map view is 20 x 15 cells with the hero in its tenth
// column and eighth row, so the hero's start, at the road's west end, has
// nine columns of land to its left and ten to its right: the first view
// of the map is all map.
const char* const kWorldRows[] = {
    "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",  //
    "~^^^^^^^^^TTTT...~~...TTTT^^^^^~",  //
    "~^^^TT^^^TT......~~......TT^^^^~",  //
    "~^TT..TTT...*....~~..*.....T^^^~",  //
    "~T...............~~.........T^^~",  //
    "~T..*......::....~~..oo......T^~",  //
    "~T........:::....~~...........#~",  //
    "~T.......--------==----------.#~",  //
    "~T...............~~..........T#~",  //
    "~T..~~....*......~~....*.....T^~",  //
    "~T.~~~..T........~~.........TT^~",  //
    "~TT.~...TT...o...~~..o.....TT^^~",  //
    "~^TT....^TT......~~......TTT^^^~",  //
    "~^^^TTTT^^TTTT...~~...TTTT^^^^^~",  //
    "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",  //
};

cEdWorldEntry Entry(int32_t nKind, int32_t nIcon) {
  cEdWorldEntry e;
  e.m_nKind = nKind;
  e.m_nIcon = nIcon;
  return e;
}

cEdWorldEntry StageEntry(int32_t nStageNo, const char* pszTitle, const char* pszFile) {
  cEdWorldEntry e = Entry(WORLDENTRY_STAGE, 0);
  e.m_nStageNo = nStageNo;
  e.m_bReplay = 1;
  e.m_strTitle = pszTitle;
  e.m_strStageFile = pszFile;
  return e;
}

cEdWorldEvent Event(const char* pszName, int x, int y, std::vector<cEdWorldEntry> entries) {
  cEdWorldEvent ev;
  ev.m_strName = pszName;
  ev.m_nX = x;
  ev.m_nY = y;
  ev.m_Entries.clear();
  for (auto& e : entries) ev.m_Entries.push_back(std::move(e));
  return ev;
}

bool MakeWorldMap(cEdWorldMap& map) {
  const int nHeight = static_cast<int>(std::size(kWorldRows));
  const int nWidth = static_cast<int>(std::string(kWorldRows[0]).size());
  map.m_strName = "サンプルワールド";
  map.SetSize(nWidth, nHeight);
  map.m_nStartX = 9;
  map.m_nStartY = 7;
  map.m_nBackColor = pal::Shade(pal::kBlue, 6);
  static const char* const kChipNames[10] = {"水",   "森", "山", "岩", "城壁",
                                             "草原", "道", "橋", "砂", "花畑"};
  const std::string kChipChars = "~T^o#.-=:*";
  for (int i = 0; i < 10; ++i) {
    map.m_Chips[i].m_nPicture = i;
    map.m_Chips[i].m_bWall = i < 5;
    map.m_Chips[i].m_strName = kChipNames[i];
  }
  for (int y = 0; y < nHeight; ++y) {
    const std::string row = kWorldRows[y];
    if (static_cast<int>(row.size()) != nWidth) return false;
    for (int x = 0; x < nWidth; ++x) {
      const size_t chip = kChipChars.find(row[static_cast<size_t>(x)]);
      if (chip == std::string::npos) return false;
      map.CellAt(x, y) = static_cast<int32_t>(chip);
    }
  }
  map.m_Events.clear();
  map.m_Events.push_back(
      Event("ステージ１", 12, 7, {StageEntry(1, "はじまりの草原", "data\\stg4\\w01-1.stg4")}));
  // The bridge's gate: open (a road) once stage 1 is cleared, shut (a wall)
  // before.
  cEdWorldEntry open = Entry(WORLDENTRY_ROAD, 3);
  open.m_nNeedStage = 1;
  map.m_Events.push_back(Event("門", 18, 7, {open, Entry(WORLDENTRY_WALL, 2)}));
  map.m_Events.push_back(
      Event("ステージ２", 24, 7, {StageEntry(2, "トゲの谷", "data\\stg4\\w02-1.stg4")}));
  map.m_Events.push_back(Event("お城", 29, 7, {Entry(WORLDENTRY_ROAD, 1)}));
  return true;
}

}  // namespace

bool WriteSampleProject() {
  bool bOk = true;
  // The validations made while saving read the running program's tables, so
  // the sample's tables are the loaded database while it is written.
  MakeDatabase(g_Database);
  bOk = bOk && WriteDatabase(g_Database);

  cSystem sys;
  MakeSystem(sys);
  bOk = bOk && MakeParentFolders(g_DataPath[DATAPATH_SYSTEM + 1]) &&
        sys.SaveToFile(g_DataPath[DATAPATH_SYSTEM + 1]);
  bOk = bOk && WriteSampleFile("System.ini", SystemIniText(sys));

  cCommonPalette palette;
  MakeCommonPalette(palette);
  const cStageRefs refs(MakeDatabaseContext(g_Database),
                        static_cast<int>(g_Database.m_BmpCharaExc.size()), &palette, nullptr);
  {
    cStageRefsScope scope(refs);
    bOk = bOk && palette.SaveToFile(g_DataPath[DATAPATH_COMMON_PALETTE + 1]);
  }
  bOk = bOk && WriteStages(refs, palette);

  cEdWorldMap map;
  bOk = bOk && MakeWorldMap(map) && map.SaveToFile(g_DataPath[DATAPATH_WORLD_MAP + 1]);

  ResetDatabaseGlobals();
  if (!bOk) ReportLog("sample: the project records could not be written");
  return bOk;
}

// ---- Flow builders ------------------------------------------------------------------

void AddPacerFlows(cEdChara& chara) {
  cFlowCommand walk = Command(3, 10);  // 地上折り返し移動
  CreateMove(walk.m_pMove);
  walk.m_pMove->m_nSpeed = 10;
  chara.m_vFlow.push_back(Flow(TRIGGER_ALWAYS, {}, {walk}));
  cFlowCommand turn = Command(9, 1);  // 向き変更
  turn.m_Params[0] = 5;               // away from the block it ran into
  chara.m_vFlow.push_back(Flow(TRIGGER_WALL, {}, {turn}));
}

void AddLiftFlows(cEdChara& chara, int16_t nTenths, int16_t nSpeed) {
  cFlowCommand right = Walk(3);  // 右
  right.m_sUseTime = nTenths;
  right.m_pMove->m_nSpeed = nSpeed;
  cFlowCommand left = right;
  CreateMove(left.m_pMove);
  *left.m_pMove = *right.m_pMove;
  left.m_pMove->m_nDirection = 2;  // 左
  chara.m_vFlow.push_back(Flow(TRIGGER_ALWAYS, {}, {right, left}));
}

cKeyCondition Keys(std::initializer_list<int> lists, int8_t nMode) {
  cKeyCondition k;
  for (int i : lists) k.m_KeyStates[i] = KEYSTATE_PRESSED;
  k.m_bAnyLength = 1;
  k.m_cMode = nMode;
  return k;
}

cFlowCommand Command(int nType, int16_t nUseTime) {
  cFlowCommand c;
  c.m_cSet = COMMANDSET_CHARA;
  c.m_cType = static_cast<int8_t>(nType);
  c.NormalizeParams();
  c.m_sUseTime = nUseTime;
  return c;
}

cFlowCommand CountVariable(int nKind, int nIndex) {
  cFlowCommand c = Command(CMD_STATUS, 0);
  c.m_Params[0] = 1;  // a variable
  c.m_Params[1] = nKind;
  c.m_Params[2] = nIndex;
  c.m_Params[5] = 1;  // add
  c.m_Params[7] = 1;  // the constant 1
  c.m_bParallel = 1;
  return c;
}

cFlowCommand Walk(int nDirection) {
  cFlowCommand c = Command(CMD_MOVE_STRAIGHT, 1);
  CreateMove(c.m_pMove);
  // A new move goes by direction.
  c.m_pMove->m_nDirection = static_cast<uint8_t>(nDirection);
  c.m_pMove->m_nSpeed = 30;      // 3 pixels a frame
  c.m_pMove->m_bFollowTurn = 0;  // a turn of a fixed-facing walker does not reverse it
  return c;
}

cFlowCommand ItemAddStatus(int nObject, int nStatus, int nValue) {
  cFlowCommand c;
  c.m_cSet = COMMANDSET_ITEM;
  c.m_cType = 7;  // ステータスの操作
  c.NormalizeParams();
  // Parameters 0 and 6 keep 0: a status, changed by a constant.
  c.m_Params[3] = nObject;
  c.m_Params[4] = nStatus;
  c.m_Params[5] = 1;  // add
  c.m_Params[7] = nValue;
  return c;
}

cFlow Flow(int8_t nTrigger, std::vector<cKeyCondition> keys, std::vector<cFlowCommand> commands,
           uint8_t bKeyLevel) {
  cFlow flow;
  flow.m_cTrigger = nTrigger;
  flow.m_bKeyLevel = bKeyLevel;
  for (auto& k : keys) flow.m_KeyConditions.push_back(std::move(k));
  for (auto& c : commands) flow.m_Commands.push_back(std::move(c));
  return flow;
}
