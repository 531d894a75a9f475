#include "common/CommaText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CommaText, ItemsSplitAtCommasAndBlanksUnlessQuoted) {
  using V = std::vector<std::string>;
  EXPECT_EQ(qv::CommaTextItems("a,b c"), (V{"a", "b", "c"}));
  EXPECT_EQ(qv::CommaTextItems("  a , ,b"), (V{"a", "", "b"}));
  EXPECT_EQ(qv::CommaTextItems("\"x y\",\"say \"\"hi\"\"\",z"), (V{"x y", "say \"hi\"", "z"}));
  EXPECT_EQ(qv::CommaTextItems("\"open"), (V{"open"}));
  EXPECT_EQ(qv::CommaTextItems(""), V{});
  EXPECT_EQ(qv::CommaTextItems(std::string("a,b\0,c", 6)), (V{"a", "b"}));
  const V items = {"[BuildScr]", "Filename=a b.scr", "x\"y", "", "Music=1"};
  EXPECT_EQ(qv::ToCommaText(items), "[BuildScr],\"Filename=a b.scr\",\"x\"\"y\",,Music=1");
  EXPECT_EQ(qv::CommaTextItems(qv::ToCommaText(items)), items);
  EXPECT_EQ(qv::ToCommaText({""}), "\"\"");
}

}  // namespace
