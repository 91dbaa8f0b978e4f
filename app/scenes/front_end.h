#pragma once
// The front-end scenes of the program, registered with the scene manager.

// Registers the title, world map, game menu, stage select, play and option
// scenes.
void RegisterFrontEndScenes();
