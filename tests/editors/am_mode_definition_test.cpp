// Reading control panel definitions and finding a control's block in a memo.

#include "editors/am_mode_definition.h"

#include <gtest/gtest.h>

#include <cmath>


namespace {

using namespace pravella::ammode;

std::string block(const std::string& inner) { return "<Button>\n" + inner + "</Button>\n"; }

std::string panel(const std::string& blocks, const std::string& head = "<BoxTitle> Panel\n<BoxSize> 300 120\n") {
  return "memo text\n<AmMode>\n" + head + blocks + "</AmMode>\n";
}

TEST(AmModeDefinition, WithoutEitherTagNothingIsRead) {
  EXPECT_FALSE(readDefinition("<BoxSize> 300 120\n" + block("<Name> a\n")));
  EXPECT_FALSE(readDefinition("<AmMode>\n<BoxSize> 300 120\n" + block("<Name> a\n")));
  EXPECT_FALSE(readDefinition("</AmMode> before <AmMode>\n" + block("<Name> a\n")));
}

TEST(AmModeDefinition, BoxAndInitProg) {
  const auto d = readDefinition(panel(block("<Name> a\n"), "<BoxTitle>\t My Panel  \n<BoxSize> 300.5\n120\n"
                                                           "<InitProg>\nx=1\n</InitProg>\n"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->boxTitle, "My Panel  ");
  EXPECT_EQ(d->boxWidth, 300.5);
  EXPECT_EQ(d->boxHeight, 120);
  EXPECT_EQ(d->initProg, "\nx=1\n");
  ASSERT_EQ(d->controls.size(), 1u);
  const auto none = readDefinition(panel("", "<BoxTitle>\n<InitProg> no end"));
  ASSERT_TRUE(none);
  EXPECT_EQ(none->boxTitle, "");
  EXPECT_EQ(none->boxWidth, 0);
  EXPECT_FALSE(none->initProg);
  EXPECT_TRUE(none->controls.empty());
}

struct BlockCase {
  const char* what;
  std::string block;
  ControlType type;
  std::string name;
  std::array<double, 4> frame;
  std::string title;
  std::optional<std::string> prog;
  std::optional<std::string> drop;
};

class ReadBlock : public testing::TestWithParam<BlockCase> {};

TEST_P(ReadBlock, AsWritten) {
  const BlockCase& c = GetParam();
  const auto d = readDefinition(panel(c.block));
  ASSERT_TRUE(d);
  ASSERT_EQ(d->controls.size(), 1u);
  const ControlDescription& got = d->controls[0];
  EXPECT_EQ(got.type, c.type);
  EXPECT_EQ(got.name, c.name);
  EXPECT_EQ(got.frame, c.frame);
  EXPECT_EQ(got.title, c.title);
  EXPECT_EQ(got.prog, c.prog);
  EXPECT_EQ(got.drop, c.drop);
}


INSTANTIATE_TEST_SUITE_P(
    Cases, ReadBlock,
    testing::Values(
        BlockCase{"slider", block("<Name> s\n<Type> Slider\n<Frame> 10 20 80 24\n"), ControlType::Slider, "s",
                  {10, 20, 80, 24}, "", std::nullopt, std::nullopt},
        BlockCase{"slider with a trailing blank is a push button", block("<Name> s\n<Type> Slider \n"),
                  ControlType::PushButton, "s", {0, 0, 0, 0}, "", std::nullopt, std::nullopt},
        BlockCase{"CR stays in values", block("<Name> s\r\n<Type>\tSwitch\r\n<Title> On\r\n"),
                  ControlType::PushButton, "s\r", {0, 0, 0, 0}, "On\r", std::nullopt, std::nullopt},
        BlockCase{"two-number frame", block("<Name> f\n<Frame> 10 20\n<Title> T\n"), ControlType::PushButton,
                  "f", {10, 20, 0, 0}, "T", std::nullopt, std::nullopt},
        BlockCase{"numbers across lines, C floats", block("<Name> f\n<Frame>\n1.5e1\n-2\n+3.25 4x5\n"),
                  ControlType::PushButton, "f", {15, -2, 3.25, 4}, "", std::nullopt, std::nullopt},
        BlockCase{"huge, negative and infinite numbers are held", block("<Name> f\n<Frame> 1e30 -1e39 -5 inf\n"),
                  ControlType::PushButton, "f", {100000, -100000, 0, 100000}, "", std::nullopt, std::nullopt},
        BlockCase{"a tag inside Prog before the real one is taken",
                  block("<Name> p\n<Prog>\ncal_x(\"<Title> inner\")\n</Prog>\n<Title> outer\n"),
                  ControlType::PushButton, "p", {0, 0, 0, 0}, "inner\")", "\ncal_x(\"<Title> inner\")\n",
                  std::nullopt},
        BlockCase{"drop without prog", block("<Name> d\n<Type> Radio\n<Drop>\nf=1\n</Drop>\n"),
                  ControlType::Radio, "d", {0, 0, 0, 0}, "", std::nullopt, "\nf=1\n"},
        BlockCase{"prog without its end is none", block("<Name> q\n<Prog> x=1\n"), ControlType::PushButton, "q",
                  {0, 0, 0, 0}, "", std::nullopt, std::nullopt},
        BlockCase{"a long value is cut at 256 bytes", block("<Name> " + std::string(300, 'n') + "\n"),
                  ControlType::PushButton, std::string(256, 'n'), {0, 0, 0, 0}, "", std::nullopt,
                  std::nullopt}),
    [](const testing::TestParamInfo<BlockCase>& info) { return "case" + std::to_string(info.index); });

TEST(AmModeDefinition, ButtonEndInsideAProgEndsTheBlock) {
  const auto d = readDefinition(panel("<Button>\n<Name> a\n<Prog>\ns=\"</Button>\"\n</Prog>\n</Button>\n"
                                      "<Button>\n<Name> b\n</Button>\n"));
  ASSERT_TRUE(d);
  ASSERT_EQ(d->controls.size(), 2u);
  EXPECT_FALSE(d->controls[0].prog);  // its "</Prog>" lies past the block's end
  EXPECT_EQ(d->controls[1].name, "b");
}

TEST(AmModeDefinition, ABlockWithoutNameEndsTheList) {
  const auto d = readDefinition(panel(block("<Name> a\n") + block("<Title> x\n") + block("<Name> c\n")));
  ASSERT_TRUE(d);
  ASSERT_EQ(d->controls.size(), 1u);
  EXPECT_EQ(d->controls[0].name, "a");
}

TEST(AmModeDefinition, PastTwoHundredBlocksTheRestIsLeftOut) {
  std::string blocks;
  for (int i = 0; i < 201; ++i) blocks += block("<Name> b" + std::to_string(i) + "\n");
  const auto d = readDefinition(panel(blocks));
  ASSERT_TRUE(d);
  ASSERT_EQ(d->controls.size(), 200u);
  EXPECT_EQ(d->controls.back().name, "b199");
  EXPECT_EQ(d->leftOut, 1);
}

TEST(AmModeDefinition, TypesReadOnlyTheirTags) {
  const auto d = readDefinition(panel(
      block("<Name> t\n<Type> TextField\n<Title> hi\n<Align> Right\n<Style> NoEditable\n<Border> No\n") +
      block("<Name> i\n<Type> ImageView\n<Title> no\n<Align> TopLeft\n<Style> Groove\n<Scaling> None\n") +
      block("<Name> s\n<Type> Slider\n<Title> no\n<Value> 0 2.5 10\n") +
      block("<Name> w\n<Type> Switch\n<Align> Right\n<Title> sw\n")));
  ASSERT_TRUE(d);
  ASSERT_EQ(d->controls.size(), 4u);
  EXPECT_EQ(d->controls[0].title, "hi");
  EXPECT_EQ(textAlign(d->controls[0].align), TextAlign::Right);
  EXPECT_EQ(d->controls[0].style, "NoEditable");
  EXPECT_EQ(d->controls[0].border, "No");
  EXPECT_EQ(d->controls[1].title, "");
  EXPECT_EQ(imageAlign(d->controls[1].align), 2);
  EXPECT_EQ(imageFrameStyle(d->controls[1].style), 3);
  EXPECT_EQ(imageScaling(d->controls[1].scaling), 2);
  EXPECT_EQ(d->controls[2].title, "");
  EXPECT_EQ(d->controls[2].value, (std::array<double, 3>{0, 2.5, 10}));
  EXPECT_EQ(d->controls[3].title, "sw");
  EXPECT_EQ(d->controls[3].align, "");
  EXPECT_EQ(textAlign("right"), TextAlign::Centre);
  EXPECT_EQ(imageScaling("None "), 0);
}

TEST(AmModeSource, FindsTheFirstBlockOfTheNameAndRewritesItsFrameLine) {
  const QString text = QStringLiteral(
      "<AmMode>\n<BoxSize> 300 120\n<Button>\n<Name> other\n<Frame> 1 2 3 4\n</Button>\n"
      "<Button>\n<Name>\t, go\n<Title> Go\n<Frame> 10 20 80 24\n</Button>\n"
      "<Button>\n<Name> go\n<Frame> 0 0 0 0\n</Button>\n</AmMode>\n");
  const auto found = findControlBlock(text, QStringLiteral("go"));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->buttonStart, text.indexOf(QStringLiteral("<Button>\n<Name>\t, go")));
  const FrameEdit edit = frameLineEdit(text, *found, 10, 25, 80, 24);
  QString after = text;
  after.replace(edit.start, edit.length, edit.replacement);
  EXPECT_TRUE(after.contains(QStringLiteral("<Title> Go\n<Frame>\t\t10\t25\t80\t24\n</Button>")));
  EXPECT_TRUE(after.contains(QStringLiteral("<Name> go\n<Frame> 0 0 0 0\n")));
  EXPECT_FALSE(findControlBlock(text, QStringLiteral("absent")));
  EXPECT_FALSE(findControlBlock(QStringLiteral("<Button>\n<Name> go\n</Button>"), QStringLiteral("go")));
}

TEST(AmModeSource, ABlockWithoutFrameGetsOneAndTheNextBlockIsLeftAlone) {
  const QString text = QStringLiteral("<AmMode>\n<Button>\n<Name> a\n</Button>\n<Button>\n<Name> b\n"
                                      "<Frame> 1 2 3 4\n</Button>\n</AmMode>");
  const auto found = findControlBlock(text, QStringLiteral("a"));
  ASSERT_TRUE(found);
  const FrameEdit edit = frameLineEdit(text, *found, 5, 6.5, 7, 8);
  QString after = text;
  after.replace(edit.start, edit.length, edit.replacement);
  EXPECT_TRUE(after.contains(QStringLiteral("<Name> a\n<Frame>\t\t5\t6.5\t7\t8\n</Button>")));
  EXPECT_TRUE(after.contains(QStringLiteral("<Name> b\n<Frame> 1 2 3 4\n")));
}

}  // namespace
