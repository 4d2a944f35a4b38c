// PalmDOC files byte by byte, their heading index, and the schedule texts; an independent
// reader (txt2pdbdoc) decodes what we write.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "platform/text_encoding.h"
#include "support/test_home.h"
#include "tools/text/palm_doc.h"

namespace {

namespace palm = pravella::palm;

quint32 be(const QByteArray& b, int at, int size) {
  quint32 v = 0;
  for (int i = 0; i < size; ++i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

TEST(PalmDoc, RecordsAndOffsetsFollowTheTextLength) {
  struct Case {
    int length;
    quint32 records;
  } cases[] = {{3, 1}, {4096, 1}, {4097, 2}, {0, 0}};
  for (const Case& c : cases) {
    const QByteArray text(c.length, 'a');
    const QByteArray file = palm::palmDocFile("name", text);
    const quint32 n = c.records;
    EXPECT_EQ(file.size(), 104 + 8 * n + c.length) << c.length;
    EXPECT_EQ(file.mid(60, 8), "TEXtREAd");
    EXPECT_EQ(file.mid(36, 8), QByteArray::fromHex("B7B86B21B7B86B21"));
    EXPECT_EQ(be(file, 76, 2), n + 1) << c.length;
    for (quint32 k = 0; k <= n; ++k) {
      EXPECT_EQ(be(file, 78 + 8 * k, 4), k == 0 ? 88 + 8 * n : 104 + 8 * n + 4096 * (k - 1)) << c.length << " " << k;
      EXPECT_EQ(static_cast<unsigned char>(file[78 + 8 * k + 4]), 0x43);
      EXPECT_EQ(be(file, 78 + 8 * k + 5, 3), 0x6F8000 + k);
    }
    const int r0 = 88 + 8 * n;
    EXPECT_EQ(be(file, r0, 2), 1u);
    EXPECT_EQ(be(file, r0 + 4, 4), static_cast<quint32>(c.length));
    EXPECT_EQ(be(file, r0 + 8, 2), n);
    EXPECT_EQ(be(file, r0 + 10, 2), 4096u);
  }
  // With one record: record 0 at 96, record 1 at 112.
  const QByteArray one = palm::palmDocFile("x", "abc");
  EXPECT_EQ(be(one, 78, 4), 96u);
  EXPECT_EQ(be(one, 86, 4), 112u);
  // The database name is cut to 31 bytes at a whole character.
  const QByteArray kana = pravella::encoding::encode(QString(20, QChar(0x3042)), pravella::encoding::kShiftJIS);
  const QByteArray named = palm::palmDocFile(kana, "x");
  EXPECT_EQ(named.left(32), kana.left(30) + QByteArray(2, '\0'));
}

TEST(PalmDoc, HeadingIndexAndTextBytes) {
  const QString text = QString::fromUtf8("one\ntwo\n■three\nfour\nfive\nsix\n●seven\n◉not a mark");
  EXPECT_EQ(palm::indexedText(text),
            QString::fromUtf8("#!Medoc index 2\n6:■three\n10:●seven\n") + text);
  QString many;
  for (int i = 0; i < 600; ++i) many += QString::fromUtf8("※h\n");
  EXPECT_TRUE(palm::indexedText(many).startsWith("#!Medoc index 501\n"));
  EXPECT_EQ(palm::textBytes("a\rb\nc"), "a\nb\nc");
  EXPECT_EQ(palm::textBytes(QString("ab") + QChar(0) + "cd"), "ab");
  EXPECT_EQ(palm::textBytes(QString::fromUtf8("x\xF0\x9F\x98\x80y")), "x?y");
}

TEST(PalmDoc, NamesFromUserTextStayInTheFolder) {
  EXPECT_EQ(palm::safeFileName("a/b"), "a_b");
  EXPECT_EQ(palm::safeFileName(".."), "");
  EXPECT_EQ(palm::safeFileName("."), "");
  EXPECT_EQ(palm::safeFileName(""), "");
  EXPECT_EQ(palm::safeFileName("find_x"), "find_x");
  EXPECT_TRUE(palm::shiftJisName(QString::fromUtf8("\xF0\x9F\x98\x80")).isEmpty());
}

TEST(PalmDoc, ScheduleTextsAndTheNextFreeNumber) {
  EXPECT_EQ(palm::scheduleText("Dentist\nat 3", QDate(2008, 3, 5)),
            "[start]\r[description]Dentist\r[date]2008-3-5\r[comment]Dentist\nat 3\r");
  EXPECT_EQ(palm::scheduleText("one line", QDate(2008, 3, 5)),
            "[start]\r[description]one line\r[date]2008-3-5\r[comment]one line\r");
  const QString folder = pravella::test::home() + "/AddSchedule folder";
  QDir().mkpath(folder);
  for (const char* name : {"addSchedule000.txt", "addSchedule002.txt"}) {
    QFile f(folder + "/" + name);
    f.open(QIODevice::WriteOnly);
  }
  EXPECT_EQ(palm::firstFreeNumberedName(folder, "addSchedule"), "addSchedule001.txt");
}

TEST(PalmDoc, AnIndependentReaderDecodesTheText) {
  const QString reader = QStandardPaths::findExecutable("txt2pdbdoc");
  if (reader.isEmpty()) GTEST_SKIP() << "txt2pdbdoc is not installed";
  const QString text = QString::fromUtf8("■Heading\nbody line\r\n") + QString(5000, u'x');
  const QByteArray bytes = palm::textBytes(palm::indexedText(text));
  const QString pdb = pravella::test::home() + "/t.pdb";
  QFile f(pdb);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(palm::palmDocFile("Test", bytes));
  f.close();
  const QString out = pravella::test::home() + "/t.txt";
  QProcess p;
  p.start(reader, {"-d", pdb, out});
  ASSERT_TRUE(p.waitForFinished(10000));
  QFile back(out);
  ASSERT_TRUE(back.open(QIODevice::ReadOnly)) << p.readAllStandardError().toStdString();
  EXPECT_EQ(back.readAll(), bytes);
}

}  // namespace
