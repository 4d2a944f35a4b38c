#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "lang/modules.h"
#include "lang/parser.h"
#include "lang/report.h"
#include "lang/tokenizer.h"
#include "lang_fixture.h"

namespace {

// "index kind name [jump] [argc]" per record, one per line.
std::string dump(const VkCodeArray& code) {
  std::ostringstream out;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const vk_Code& r = code[i];
    out << i << ' ' << r.kind << ' ' << (r.kind == kCodeString ? "\"" + r.data + "\"" : r.name);
    if (r.jump) out << " j" << r.jump;
    if (r.argc) out << " a" << r.argc;
    out << '\n';
  }
  return out.str();
}

class Parser : public LangTest {
 protected:
  std::string compile(const std::string& source) {
    std::string tokens;
    EXPECT_EQ(shikiBunri(source, tokens), 1);
    VkCodeArray code;
    int count = -1;
    EXPECT_EQ(kaisekiMaesyori(tokens, code, &count), 1) << ResultString;
    EXPECT_EQ(count, static_cast<int>(code.size()));
    return dump(code);
  }
};

TEST_F(Parser, SumLoop) {
  EXPECT_EQ(compile("s = 0; for (i = 1; i <= 10; i++) s = s + i; s;"),
            "0 3 0\n1 4 s\n2 2 =\n3 2 ;\n4 3 1\n5 4 i\n6 2 =\n7 4 i\n8 3 10\n9 9 <=\n10 11 if j13\n"
            "11 4 s\n12 4 i\n13 2 +\n14 4 s\n15 2 =\n16 2 ;\n17 4 i\n18 3 1\n19 2 +\n20 4 i\n21 2 =\n"
            "22 11 gotoX-01 j-15\n23 4 s\n24 2 ;\n");
}

TEST_F(Parser, Branch) {
  EXPECT_EQ(compile("a = 2; if (a > 0) b = 1; else b = -1; b;"),
            "0 3 2\n1 4 a\n2 2 =\n3 2 ;\n4 4 a\n5 3 0\n6 9 >\n7 11 if j6\n8 3 1\n9 4 b\n10 2 =\n11 2 ;\n"
            "12 11 goto j7\n13 3 -1\n14 3 1\n15 2 *\n16 4 b\n17 2 =\n18 2 ;\n19 4 b\n20 2 ;\n");
}

TEST_F(Parser, LoopWithExit) {
  EXPECT_EQ(compile("i = 0; while (1) { i = i + 1; if (i == 5) break; } i;"),
            "0 3 0\n1 4 i\n2 2 =\n3 2 ;\n4 3 1\n5 11 if j14\n6 4 i\n7 3 1\n8 2 +\n9 4 i\n10 2 =\n11 2 ;\n"
            "12 4 i\n13 3 5\n14 9 ==\n15 11 if j3\n16 0 break-01\n17 2 ;\n18 11 gotoX-01 j-14\n19 4 i\n"
            "20 2 ;\n");
}

TEST_F(Parser, MatrixTransposeAndElements) {
  EXPECT_EQ(compile("m = |1, 2| |3, 4|; m';"),
            "0 3 1\n1 3 2\n2 3 3\n3 3 4\n4 2 | j2 a2\n5 4 m\n6 2 =\n7 2 ;\n8 4 m\n9 2 '\n10 2 ;\n");
  EXPECT_EQ(compile("m[2, 1]; m[1, #];"),
            "0 3 2\n1 3 0\n2 3 1\n3 3 0\n4 2 @\n5 4 m\n6 2 ;\n7 3 1\n8 3 0\n9 3 1\n10 4 m\n"
            "11 1 nsize a1\n12 2 @\n13 4 m\n14 2 ;\n");
}

TEST_F(Parser, ModuleDefinitionCompilesToNothing) {
  EXPECT_EQ(compile("module area(w, h) { w * h; } area(3, 4);"), "0 3 3\n1 3 4\n2 12 area a2\n3 2 ;\n");
  int slot = -1;
  ASSERT_EQ(findModule("area", &slot), 1);
  EXPECT_EQ(dump(*UFNtable[slot].code), "0 4 w\n1 4 h\n2 2 *\n3 2 ;\n");
  EXPECT_EQ(UFNtable[slot].argc, 2);
}

TEST_F(Parser, StringsAndHex) {
  EXPECT_EQ(compile("\"a\\nb\"; 0xFF; 0x0FF; 0x1000000;"),
            "0 5 \"a\nb\"\n1 2 ;\n2 3 -1\n3 2 ;\n4 3 255\n5 2 ;\n6 3 1.67772e+07\n7 2 ;\n");
}

TEST_F(Parser, AliasReplacesCallName) {
  fncAliasTable[0] = {"sz", "msize"};
  EXPECT_EQ(compile("sz(1);"), "0 3 1\n1 1 msize a1\n2 2 ;\n");
}

TEST_F(Parser, CodeStackOverflow) {
  std::string source;
  for (int i = 0; i < 6000; ++i) source += "1;";
  std::string tokens;
  ASSERT_EQ(shikiBunri(source, tokens), 1);
  VkCodeArray code;
  int count = 0;
  EXPECT_EQ(kaisekiMaesyori(tokens, code, &count), 0);
  EXPECT_EQ(ResultString, "...<Error>...Code stack overflow\n");
  EXPECT_EQ(count, kCodeRecords - 1);
}

TEST_F(Parser, TooManyTokenLines) {
  std::string tokens;
  for (int i = 0; i < kCodeRecords + 1; ++i) tokens += "a\n";
  VkCodeArray code;
  int count = 0;
  EXPECT_EQ(kaisekiMaesyori(tokens, code, &count), 0);
  EXPECT_EQ(ResultString, "...<Error>...Too many instructions.\n");
}

}  // namespace
