#include "app/scenes/front_end.h"

#include "app/scenes/game_menu_scene.h"
#include "app/scenes/option_scene.h"
#include "app/scenes/stage_select_scene.h"
#include "app/scenes/title_scene.h"
#include "app/scenes/world_map_scene.h"
#include "play/play_scene.h"

void RegisterFrontEndScenes() {
  RegisterScene<cTitleScene>(SCENE_TITLE);
  RegisterScene<cWorldMapScene>(SCENE_WORLDMAP);
  RegisterScene<cGameMenuScene>(SCENE_GAMEMENU);
  RegisterScene<cStageSelectScene>(SCENE_STAGESELECT);
  RegisterPlayScene<cPlayScene>();
  RegisterScene<cOptionScene>(SCENE_OPTION);
}
