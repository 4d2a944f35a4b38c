// The title-keyed list of windows that programs address.

#include <gtest/gtest.h>

#include <memory>

#include "graphics/window_list.h"

namespace {

using List = pravella::WindowList<std::shared_ptr<int>>;

TEST(WindowList, EqualTitlesFindTheEarlierPair) {
  List list;
  auto a1 = std::make_shared<int>(1), b = std::make_shared<int>(2), a2 = std::make_shared<int>(3);
  list.add("A", a1);
  list.add("B", b);
  list.add("A", a2);
  EXPECT_EQ(list.find("A"), a1);
  list.remove("A");
  EXPECT_EQ(list.find("A"), a2);
  EXPECT_EQ(list.first(), b);
  EXPECT_EQ(list.titleOf(a2), "A");
  EXPECT_EQ(list.size(), 2);
}

TEST(WindowList, EmptyAndUnknown) {
  List list;
  EXPECT_EQ(list.first(), nullptr);
  EXPECT_EQ(list.find("A"), nullptr);
  list.add("GL_Window", std::make_shared<int>(1));
  list.remove("nothing");
  EXPECT_EQ(list.size(), 1);
  EXPECT_EQ(list.find("gl_window"), nullptr);                     // exact, case and all
  EXPECT_TRUE(list.titleOf(std::make_shared<int>(1)).isEmpty());  // identity, not equality
}

}  // namespace
