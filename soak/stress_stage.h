#pragma once
// The stress stage of the soak: a stage crowded with everything the
// sample's common palette holds, played at 20 sub-steps a frame. Every
// computer character of the palette in turn stands on the ground and on
// the platforms, about sixty of them, half active wherever they are; every
// item but the goal flag lies above them, about sixty; walls, spikes and
// pits lie between. Besides its own flows each character fires a
// shot every few seconds, shows an effect where it stands and runs one of
// the character effects; one of them stops the game with its effect now and
// then. What the palette gains (new characters, items, their shots) joins
// the stage by itself.

// Stored name of the stage, loaded as a versioned name.
inline constexpr const char* kStressStagePath = "data\\stg4\\stress.stg4";

// Adds the effect row the characters show to the loaded database and
// writes the stage file against the loaded project (its database and
// common palette). False after a report-log line.
bool WriteStressStage();
