#pragma once
// Builds stages in code with the record classes: the fixtures of the stage
// tests and the benchmark, and a sample of what a stage may hold. Every kind
// of placement, palette links, appearance conditions, flows with key
// conditions and commands of every settings kind, nested flows inside item
// commands, background layers and text lines.

#include <cstdint>

#include "stagedata/common_palette.h"
#include "stagedata/stage.h"
#include "stagedata/stage_refs.h"

struct cStageGenOptions {
  int nWidth = 40;
  int nHeight = 20;
  int nPlacedBlocks = 60;
  int nPlacedCharas = 6;  // the first is the hero
  int nPlacedItems = 5;
  int nFlowsPerChara = 3;
  int nCommandsPerFlow = 4;
  uint32_t nSeed = 1;
};

// Table counts that every value the generator writes fits in.
ValidationContext GeneratorTables();
// Refs over GeneratorTables and the given palettes.
cStageRefs GeneratorRefs(const cCommonPalette* pCommon, const cEdStage* pStage);

// A common palette of a few blocks, characters and items.
void GenerateCommonPalette(cCommonPalette& palette);
// A stage as the options describe; its links name entries of a palette made by
// GenerateCommonPalette.
void GenerateStage(cEdStage& stage, const cStageGenOptions& options);
// Resolves the links of the stage's definitions as loading does (palette
// entries first, then placements), so that the stage as built is what a
// load of its file gives.
void ResolveLinks(cEdStage& stage, const cStageRefs& refs);
