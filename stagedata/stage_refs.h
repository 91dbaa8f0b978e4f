#pragma once
// What the validations and palette links of stored definitions consult: the
// row counts of the database tables and the two palettes (the project's
// common palette and the palette of the stage being loaded or played).
//
// Validation takes them as an argument. A definition's Load and Save cannot
// (their signature is the record framework's), so a loader names them for
// the time of a load with cStageRefsScope. Outside any scope they are the
// running program's: g_Database, g_CommonPalette and g_Stage.

#include "flow/validation.h"

class cCommonPalette;
class cEdStage;

class cStageRefs {
 public:
  cStageRefs() = default;
  // tables: the database's row counts and sword times (its palette counts
  // are ignored: they are taken from the palettes themselves).
  cStageRefs(const ValidationContext& tables, int nBmpCharaExcRows, const cCommonPalette* pCommon,
             const cEdStage* pStage)
      : m_pCommon(pCommon),
        m_pStage(pStage),
        m_nBmpCharaExcRows(nBmpCharaExcRows),
        m_context(tables) {}

  const cCommonPalette* Common() const { return m_pCommon; }
  const cEdStage* Stage() const { return m_pStage; }
  // The same tables and common palette with another stage palette.
  cStageRefs WithStage(const cEdStage* pStage) const {
    cStageRefs refs(*this);
    refs.m_pStage = pStage;
    return refs;
  }

  const ValidationContext& Tables() const { return m_context; }
  int BmpCharaExcRows() const { return m_nBmpCharaExcRows; }
  // The flow layer's context: the tables and the palettes' current sizes.
  const ValidationContext& FlowContext() const;

 private:
  const cCommonPalette* m_pCommon = nullptr;
  const cEdStage* m_pStage = nullptr;
  int m_nBmpCharaExcRows = 0;
  mutable ValidationContext m_context;
};

// The refs of the load in progress on this thread; outside any scope those
// of the running program (valid until the next call on this thread).
const cStageRefs& CurrentStageRefs();

// Names the refs for the loads and saves made while the scope lives (scopes
// nest; the refs must outlive the scope).
class cStageRefsScope {
 public:
  explicit cStageRefsScope(const cStageRefs& refs);
  ~cStageRefsScope();
  cStageRefsScope(const cStageRefsScope&) = delete;
  cStageRefsScope& operator=(const cStageRefsScope&) = delete;

 private:
  const cStageRefs* m_pPrevious;
};
