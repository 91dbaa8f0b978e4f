// The link-flag list keeps every flag across the move between its inline
// room and the heap.

#include "stagedata/link_flags.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(LinkFlagsTest, KeepsItsFlagsWhateverTheirNumber) {
  // Sizes in turn, growing past the inline room and shrinking back into it;
  // a model vector gets the same steps.
  const size_t kSizes[] = {4, 3, 6, 9, 4, 12, 0, 7, 20, 20, 5};
  cLinkFlags<6> flags;
  std::vector<uint8_t> model;
  uint8_t nNext = 1;
  for (size_t n : kSizes) {
    SCOPED_TRACE(n);
    flags.resize(n, 7);
    model.resize(n, 7);
    for (size_t i = 0; i < n; i += 2) flags[i] = model[i] = nNext++;
    ASSERT_EQ(flags.size(), n);
    EXPECT_EQ(flags, model);
    const cLinkFlags<6> copy(flags);
    EXPECT_EQ(copy, model);
  }
  flags.assign(9, 1);
  EXPECT_EQ(flags, std::vector<uint8_t>(9, 1));
  flags.assign(2, 0);
  EXPECT_EQ(flags, std::vector<uint8_t>(2, 0));
}

}  // namespace
