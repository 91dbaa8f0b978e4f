#pragma once
// Searches of a character list: the first or the nearest character that is
// alive and passes the filters of the target command.

#include "objects/com_chara.h"

struct CHARAFILTER {
  int bByCid = 0;  // only characters of this character id number
  int nCid = 0;
  int bExcludeId = 0;  // not the object with this id
  int nId = 0;
  int bNoInvincible1 = 0;  // not of invincibility kind 1
  int bNoInvincible2 = 0;  // not of invincibility kind 2
  int bNoBlockChara = 0;   // not a block character
};

// The first character in list order that is not dead and passes the filter
// (appearance is not required); null when none.
cChara* FindFirstChara(const cCharaList& list, const CHARAFILTER& filter);
cChara* FindFirstChara(const cCharaPtrList& list, const CHARAFILTER& filter);

// The candidate whose sprite centre on screen is nearest to the screen point
// (x, y) (by |dx| + |dy|; the earlier one on a tie). Rule 2: candidates on
// screen that have appeared; rule 1: that have appeared; rule 0: on screen
// and appeared, else appeared and off screen; other rules: null.
cChara* FindCharaByRule(double x, double y, const cCharaList& list, int nRule,
                        const CHARAFILTER& filter);
cChara* FindCharaByRule(double x, double y, const cCharaPtrList& list, int nRule,
                        const CHARAFILTER& filter);

// The nearest character to a screen point, on screen only when the stage
// lets only on-screen objects interact; never one of invincibility kind 2.
cChara* FindNearestCharaTo(double x, double y, const cCharaPtrList& list);
// The nearest to the sprite centre of chara on screen.
cChara* FindNearestChara(const cChara& chara, const cCharaPtrList& list);
