#pragma once
// The front-end scenes of the program, registered with the scene manager.

// Registers the title, world map, game menu, stage select and option scenes,
// and for scene 4 the stand-in that names the loaded stage until stage play
// is built.
void RegisterFrontEndScenes();
