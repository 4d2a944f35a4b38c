#include <gtest/gtest.h>

#include <string>

#include "lang/tokenizer.h"

namespace {

struct TokCase {
  const char* source;
  int ok;
  const char* tokens;  // one token per line
};

class TokenizerCases : public testing::TestWithParam<TokCase> {};

TEST_P(TokenizerCases, GivesTokenText) {
  const TokCase& c = GetParam();
  std::string tokens;
  EXPECT_EQ(shikiBunri(c.source, tokens), c.ok) << "source: " << c.source;
  EXPECT_EQ(tokens, c.tokens) << "source: " << c.source;
}

const char* const kPi = "3.14159265358979323846264\n";

INSTANTIATE_TEST_SUITE_P(
    Examples, TokenizerCases,
    testing::Values(TokCase{"a = 3.5 * sin(x);", 1, "a\n=\n3.5\n*\nsin\n(\nx\n)\n;\n"},
                    TokCase{"2e+3", 1, "2e+3\n"}, TokCase{"2e3", 0, "2e\ndigit error (need + or -)\n"},
                    TokCase{"2e+x", 0, "2e+\ndigit error (need digit)\n"},
                    TokCase{"2each", 0, "2e\ndigit error (need + or -)\n"}, TokCase{"a1b", 1, "a1b\n"},
                    TokCase{"1a", 1, "1\na\n"}, TokCase{"x++", 1, "x\n++\n"}, TokCase{"", 1, ""},
                    TokCase{"  \t\n ~ only a comment\n", 1, ""}, TokCase{"\xE3\x80\x80 a", 1, "a\n"},
                    TokCase{"a0x1F", 1, "a\n0x1F\n"}, TokCase{"0x", 1, "0\nx\n"},
                    TokCase{"0xfg", 1, "0xf\ng\n"}, TokCase{"a!=b", 1, "a\n!=\nb\n"},
                    TokCase{"x<<2", 1, "x\n<<\n2\n"}, TokCase{"1..5", 1, "1.\n.\n5\n"},
                    TokCase{"a<>b>=c", 1, "a\n<>\nb\n>=\nc\n"}, TokCase{"f(", 1, "f\n(\n"},
                    TokCase{"a<*>", 1, "a\nx\n"}, TokCase{"a<*>b", 1, "a\nx\nb\n"},
                    TokCase{"a\xEF\xBD\xA5"
                            "b",
                            1, "a\nx\nb\n"},
                    TokCase{"a\xE2\x80\xA2"
                            "b",
                            1, "a\nx\nb\n"},
                    TokCase{"a ~ comment\nb", 1, "a\nb\n"},
                    TokCase{"a\xE3\x80\x9C"
                            "c\nb",
                            1, "a\nb\n"},
                    TokCase{"\"a~b\"", 1, "\"a~b\"\n"}, TokCase{"ab\"c\"", 1, "ab\"c\"\n"},
                    TokCase{"\"a\nb\"", 1, "\"a\\:b\"\n"}, TokCase{"\"a\\nb\"", 1, "\"a\\:b\"\n"},
                    TokCase{"\"\\r\\t\\\"\\q\"", 1, "\"\r\t\"q\"\n"},
                    TokCase{"\"\xC2\xA5r\xC2\xA5\xC2\xA5\xC2\xA5n\"", 1, "\"\r\\\xC2\xA5n\"\n"},
                    TokCase{"\"abc", 0, "\"abc\nstring error (need \")\n"},
                    TokCase{"\xE6\x97\xA5"
                            "a = 1",
                            1,
                            "\xE6\x97\xA5"
                            "a\n=\n1\n"},
                    TokCase{"a\x80", 0, "a"}, TokCase{"a_b c", 1, "a_b\nc\n"},
                    TokCase{"0.5x", 1, "0.5\nx\n"}));

TEST(Tokenizer, PiRules) {
  // "Pai" is pi where it stands as a word of its own; inside a name it is part of the name.
  struct Case {
    std::string source;
    int ok;
    std::string tokens;
  };
  const Case cases[] = {
      {"Pai ", 1, std::string(kPi)},
      {"2*Pai+1", 1, std::string("2\n*\n") + kPi + "+\n1\n"},
      {"(Pai)", 1, std::string("(\n") + kPi + ")\n"},
      {"2Pai;", 1, std::string("2\n") + kPi + ";\n"},
      {"Pai\xEF\xBD\xA5"
       "2",
       1, std::string(kPi) + "x\n2\n"},
      {"Paint", 1, "Paint\n"},
      {"aPai+", 1, "aPai\n+\n"},
      {"Pai2 ", 1, "Pai2\n"},
      {"Pai_x ", 1, "Pai_x\n"},
      {"volumePairedTtest(1", 1, "volumePairedTtest\n(\n1\n"},
      {"Pai", 1, "Pai\n"},  // the last three bytes of the text stay a word
      {"\xCF\x80 ", 1, std::string(kPi)},
      {"a\xCF\x80+", 1, std::string("a\n") + kPi + "+\n"},
  };
  for (const Case& c : cases) {
    std::string t;
    EXPECT_EQ(shikiBunri(c.source, t), c.ok) << c.source;
    EXPECT_EQ(t, c.tokens) << c.source;
  }
}

TEST(Tokenizer, FullTokenTextEndsWithMessage) {
  std::string source;
  for (int i = 0; i < 50000; ++i) source += "ab ";
  std::string t;
  EXPECT_EQ(shikiBunri(source, t), 0);
  EXPECT_LE(t.size(), kTokenTextLimit);
  const std::string tail = "\ntoo many instruction\n";
  ASSERT_GE(t.size(), tail.size());
  EXPECT_EQ(t.substr(t.size() - tail.size()), tail);
}

}  // namespace
