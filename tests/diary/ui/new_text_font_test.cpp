// New text in a memo takes the font of the text before it, and the template's where there is
// none: on lines after empty lines and after a run's result too. Qt's own Return on an empty
// line dropped the line's formats, and what was typed there came out in 9-point sans.

#include <QFontInfo>

#include "day_documents_fixture.h"
#include "lang/builtins/startup.h"

namespace day_documents_test {
namespace {

class NewTextFont : public DayDocuments {
 protected:
  QFont fontAt(const QTextDocument& doc, int position) {
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(position + 1);  // the format of the character before the cursor
    return c.charFormat().font();
  }
  // Every character of `doc` but the line breaks is in `font`'s family and size.
  void expectAllIn(const QTextDocument& doc, const QFont& font) {
    const QString text = doc.toPlainText();
    for (int i = 0; i < text.size(); ++i) {
      if (text[i] == u'\n') continue;
      const QFont f = fontAt(doc, i);
      EXPECT_EQ(f.family(), font.family()) << i << " '" << s(QString(text[i])) << "' in " << s(text);
      EXPECT_EQ(f.pointSizeF(), font.pointSizeF()) << i << " '" << s(QString(text[i])) << "'";
    }
  }
};

TEST_F(NewTextFont, AfterEmptyLinesAndARunsResultTheMemosFontGoesOn) {
  ASSERT_EQ(vkStartUp(), 1);
  start();
  memo()->awakeFromNib();
  QTest::keyClick(memo(), Qt::Key_N, Qt::ControlModifier);
  type("Fonts");
  const QFont memoFont = fontAt(*memo()->document(), 0);
  ASSERT_TRUE(QFontInfo(memoFont).fixedPitch()) << s(memoFont.family());
  for (int i = 0; i < 3; ++i) QTest::keyClick(memo(), Qt::Key_Return);
  type("after empty lines");
  QTest::keyClick(memo(), Qt::Key_Return);
  type("1+2;");
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  memo()->waitForRuns();
  ASSERT_TRUE(QTest::qWaitFor([&] { return memo()->toPlainText().contains(".OK."); }, 5000));
  QTest::keyClick(memo(), Qt::Key_Right);  // past the result, which stands selected
  QTest::keyClick(memo(), Qt::Key_Return);
  type("after the result");
  EXPECT_EQ(s(memo()->toPlainText()),
            "Fonts\n\n\nafter empty lines\n1+2;\n    3.0000\n.OK.\n\nafter the result");
  expectAllIn(*memo()->document(), memoFont);

  // And so it is saved.
  QTest::keyClick(memo(), Qt::Key_S, Qt::ControlModifier);
  QTextDocument saved;
  ASSERT_TRUE(pravella::readRichTextFile(day() + "/Fonts.rtfd", saved));
  expectAllIn(saved, memoFont);
}

}  // namespace
}  // namespace day_documents_test
