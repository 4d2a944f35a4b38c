#pragma once
// A memo as old diaries hold it: an RTFD folder whose text is Shift-JIS under \ansicpg932,
// with a link to a local file and a picture attachment.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

namespace pravella::test {

// The memo's text as it reads.
inline const QString kJapaneseLine = QString::fromUtf8("あいう 日本語");

// Writes "<folder>/<name>" (an RTFD folder) and answers its path; the picture is 40 x 20
// pixels, red on the left half and blue on the right.
inline QString writeJapaneseMemo(const QString& folder, const QString& name = QStringLiteral("Memo.rtfd")) {
  const QString memo = folder + "/" + name;
  QDir().mkpath(memo);
  QImage picture(40, 20, QImage::Format_RGB32);
  picture.fill(Qt::red);
  for (int y = 0; y < 20; ++y)
    for (int x = 20; x < 40; ++x) picture.setPixel(x, y, qRgb(0, 0, 255));
  picture.save(memo + "/picture.png");
  QFile text(memo + "/TXT.rtf");
  if (!text.open(QIODevice::WriteOnly)) return {};
  text.write("{\\rtf1\\ansi\\ansicpg932\\cocoartf824\n"
             "{\\fonttbl\\f0\\fnil\\fcharset128 Osaka;}\n"
             "\\pard\\f0\\fs24 \\'82\\'a0\\'82\\'a2\\'82\\'a4 \\'93\\'fa\\'96\\'7b\\'8c\\'ea\\\n"
             "{\\field{\\*\\fldinst{HYPERLINK \"file:///tmp/notes.txt\"}}{\\fldrslt notes}}\\\n"
             "{{\\NeXTGraphic picture.png \\width800 \\height400\n}\\'ac}}");
  return memo;
}

}  // namespace pravella::test
