#pragma once
// The project a stage, replay or common palette is read against in the fuzz
// targets: the sample database of the tests (eight rows per table) and the
// common palette of the stage generator, which the seeds' links name.

// Fills g_Database and g_CommonPalette (once, from FuzzTargetSetUp).
void SetUpFuzzProject();
// Puts the stage globals back and the common palette in again, after an input.
void ResetFuzzProjectStage();
