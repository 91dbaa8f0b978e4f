// Checked element access: reports, close requests and the element handed out.

#include "app/base/checked_containers.h"

#include <gtest/gtest.h>

#include "app/base/close_request.h"
#include "testing/game_folder.h"

namespace {

struct Rec8 {
  int a = 0, b = 0;
  bool operator==(const Rec8&) const = default;
};

// A type that states the stored layout's size, and one derived from it.
class cStated {
 public:
  PLAYER_ELEMENT_SIZE(cStated, 124);
  int n = 0;
};
class cDerived : public cStated {
 public:
  int m[3] = {};
};

TEST(CheckedVector, OutOfRangeReportsClosesAndHandsOutElementZero) {
  cTestGameFolder folder;
  cCheckedVector<Rec8> v(5);
  v[0].a = 7;
  for (int nIndex : {-1, 5, 1000}) EXPECT_EQ(v.At(nIndex).a, 7) << nIndex;
  EXPECT_EQ(v.At(4).a, 0);
  EXPECT_EQ(GetCloseRequestCount(), 3);
  EXPECT_EQ(folder.ReportLogText(),
            "err V[-1] ( 5 , 8 )\nerr V[5] ( 5 , 8 )\nerr V[1000] ( 5 , 8 )\n");
}

TEST(CheckedVector, EmptyVectorGivesAFreshDummyInsteadOfThrowing) {
  cTestGameFolder folder;
  cCheckedVector<int> v;
  int& r = v.At(0);
  EXPECT_EQ(r, 0);
  r = 99;
  EXPECT_EQ(v.At(3), 0);  // each failure starts from a default element
  EXPECT_EQ(GetCloseRequestCount(), 2);
  EXPECT_EQ(folder.ReportLogText(), "err V[0] ( 0 , 4 )\nerr V[3] ( 0 , 4 )\n");
}

TEST(CheckedVector, ReportsTheProgramsElementSizes) {
  cTestGameFolder folder;
  cCheckedVector<std::string> strings;
  cCheckedVector<Rec8*> pointers;
  cCheckedVector<cCheckedVector<int>> patterns;
  cCheckedVector<cStated> stated;
  cCheckedList<cDerived> derived;
  strings.At(1);
  pointers.At(2);
  patterns.At(3);
  stated.At(4);
  derived.At(5);  // a size stated by the base is not the derived class's
  EXPECT_EQ(folder.ReportLogText(),
            "err V[1] ( 0 , 16 )\nerr V[2] ( 0 , 4 )\nerr V[3] ( 0 , 16 )\nerr V[4] ( 0 , 124 )\n"
            "err L[5] ( 0 , 16 )\n");
}

TEST(CheckedVector, FillCountAndRemove) {
  cTestGameFolder folder;
  cCheckedVector<int> v(4);
  v.Fill(3);
  EXPECT_EQ(v.CountValue(3), 4);
  cCheckedVector<int> empty;
  empty.Fill(1);
  EXPECT_EQ(empty.CountValue(1), 0);

  int a, b, c;
  cCheckedVector<int*> p{&a, &b, &b, &c, &b};
  EXPECT_TRUE(p.RemoveValue(&b));
  EXPECT_EQ(p, (cCheckedVector<int*>{&a, &c}));
  EXPECT_FALSE(p.RemoveValue(&b));
  EXPECT_EQ(p.size(), 2u);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST(CheckedList, WalksToTheIndexAndSharesOneDummyPerType) {
  cTestGameFolder folder;
  cCheckedList<Rec8> list{{1, 0}, {2, 0}, {3, 0}};
  EXPECT_EQ(list.At(2).a, 3);
  cCheckedList<Rec8> empty;
  // The dummy keeps what any earlier failure wrote into it (a repeated run
  // of this test included): only its sharing is certain.
  Rec8& dummy = empty.At(0);
  dummy.a = 42;
  EXPECT_EQ(&list.At(3), &dummy);  // the same dummy, with what was written into it
  EXPECT_EQ(dummy.a, 42);
  EXPECT_EQ(GetCloseRequestCount(), 2);
  EXPECT_EQ(folder.ReportLogText(), "err L[0] ( 0 , 8 )\nerr L[3] ( 3 , 8 )\n");
}

}  // namespace
