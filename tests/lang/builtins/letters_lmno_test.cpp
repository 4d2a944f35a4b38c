// Built-ins of the letters L, M, N and O that read files the test writes, ask the window side
// for a file name, hand files to the desktop opener, and the outlier correction entry of G.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <sys/stat.h>
#include <cstdlib>
#include <string>
#include <vector>

#include "lang/builtins/command_bridge.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/stdlib/file_load_save.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "support/test_home.h"

namespace {

class LettersLMNO : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    home_ = pravella::test::home();
    current_fullPath = home_.toStdString();
  }
  void TearDown() override {
    for (auto id : observers_) pravella::NotificationCenter::defaultCenter().removeObserver(id);
  }

  void write(const QString& name, const QByteArray& bytes) {
    QFile f(home_ + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  // The window side's file chooser answers with `answer` and counts its calls.
  void chooserAnswers(const std::string& answer) {
    observers_.push_back(pravella::NotificationCenter::defaultCenter().addObserver(
        "cal_getFilePath", nullptr,
        [this, answer](pravella::Notification&) {
          ++chooserCalls_;
          pravella::answerString(answer);
        },
        pravella::Delivery::PostingThread));
  }

  static std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

  QString home_;
  int chooserCalls_ = 0;
  std::vector<pravella::ObserverId> observers_;
};

TEST_F(LettersLMNO, TextAndNumberLoaders) {
  write("table.txt", "1 2 3\r\n4 5 6\r\n");
  write("notes.txt", "first line\nsecond\n");
  write("fixed.txt", "12345678\n98765432\n");
  EXPECT_EQ(run("load(\"table.txt\");"),
            "    1.0000     2.0000     3.0000\n    4.0000     5.0000     6.0000\n.OK.\n");
  // From a byte offset: the second line only.
  EXPECT_EQ(run("load(\"table.txt\", 7);"), "    4.0000     5.0000     6.0000\n.OK.\n");
  EXPECT_EQ(run("t$ = loadText(\"notes.txt\"); t$; msize(t$);"), "first line\nsecond\n\n   18.0000\n.OK.\n");
  // Fields by template (runs of one character) and by column pairs.
  EXPECT_EQ(run("loadFixedTextData(\"fixed.txt\", \"aaabb\");"),
            "  123.0000    45.0000\n  987.0000    65.0000\n.OK.\n");
  EXPECT_EQ(run("loadFixedTextData(\"fixed.txt\", |1, 1| |7, 8|);"),
            "    1.0000    78.0000\n    9.0000    32.0000\n.OK.\n");
}

TEST_F(LettersLMNO, BinaryLoadersInBothByteOrders) {
  // Two signed 16-bit values, most significant byte first, after a 2-byte header.
  write("ints.bin", QByteArray::fromHex("ffff"
                                        "0102"
                                        "fffe"));
  EXPECT_EQ(run("loadBinFile(\"ints.bin\", |2, 1, 2, 2, 1|);"), "  258.0000    -2.0000\n.OK.\n");
  EXPECT_EQ(run("loadBinFile(\"ints.bin\", |2, 1, 2, 2, 0|);"), "  513.0000  -257.0000\n.OK.\n");
  // 32-bit floats: 1.5 little-endian, then 1.5 big-endian.
  write("floats.bin", QByteArray::fromHex("0000c03f"
                                          "3fc00000"));
  EXPECT_EQ(run("loadB(\"floats.bin\", \"float\", |1, 1, 0|); loadBS(\"floats.bin\", \"float\", |1, 1, 4|);"
                "loadBSwap(\"floats.bin\", \"float\", |1, 1, 4|);"),
            "    1.5000\n    1.5000\n    1.5000\n.OK.\n");
  // The byte-order switch turns loadB around.
  ByteOrderBigEndian = 1;
  EXPECT_EQ(run("loadB(\"floats.bin\", \"float\", |1, 1, 4|);"), "    1.5000\n.OK.\n");
  ByteOrderBigEndian = 0;
  // A short file is the loader's error, not zeros.
  EXPECT_EQ(run("loadB(\"floats.bin\", \"float\", |1, 3, 0|);"), "...<Error>...end of file\n.NO.\n");
  // The double-binary file with its own header.
  const double values[] = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(DoSaveBinaryDouble((home_ + "/m.dbl").toStdString().c_str(), values, 2, 3), 1);
  EXPECT_EQ(run("loadB(\"m.dbl\");"),
            "    1.0000     2.0000     3.0000\n    4.0000     5.0000     6.0000\n.OK.\n");
}

TEST_F(LettersLMNO, AnEmptyFileNameAsksTheChooser) {
  write("table.txt", "7 8\n");
  chooserAnswers((home_ + "/table.txt").toStdString());
  EXPECT_EQ(run("load(\"\");"), "    7.0000     8.0000\n.OK.\n");
  EXPECT_EQ(run("t$ = loadText(\"\"); t$;"), "7 8\n\n.OK.\n");
  EXPECT_EQ(run("loadFixedTextData(\"\", \"a b\");"), "    7.0000     8.0000\n.OK.\n");
  EXPECT_EQ(chooserCalls_, 3);
  // A named file does not ask.
  EXPECT_EQ(run("load(\"table.txt\");"), "    7.0000     8.0000\n.OK.\n");
  EXPECT_EQ(chooserCalls_, 3);
}

TEST_F(LettersLMNO, ACancelledChooserHandsTheEmptyNameToTheLoader) {
  chooserAnswers("");
  EXPECT_EQ(run("t$ = loadText(\"\");"), "...<Error>...Can't read file.\n.NO.\n");
  EXPECT_EQ(chooserCalls_, 1);
}

TEST_F(LettersLMNO, PicturesAndRichTextDocuments) {
  QImage image(6, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(home_ + "/red.png"));
  EXPECT_EQ(run("p# = loadPicture(\"red.png\"); getPictSize(p#);"), "    6.0000     4.0000\n.OK.\n");
  // A readable file that no reader knows is no picture: the load fails, whatever its name.
  write("plain.txt", "not a picture");
  write("garbage.png", "not a picture either");
  write("empty.jpg", "");
  for (const char* name : {"plain.txt", "garbage.png", "empty.jpg"})
    EXPECT_EQ(run("p# = loadPicture(\"" + std::string(name) + "\"); \"not here\";"),
              "...<Error>...not a picture file\n.NO.\n")
        << name;
  // One that is not there, or cannot be read, is no stand-in case: the load fails and says why.
  EXPECT_EQ(run("p# = loadPicture(\"missing.png\"); getPictSize(p#);"),
            "...<Error>...Cannot read \"" + (home_ + "/missing.png").toStdString() +
                "\": No such file or directory\n...<Error>...Invalid ComponentInstance.\n.NO.\n");
  EXPECT_EQ(run("p# = loadPicture(\"plain.txt/red.png\");"),
            "...<Error>...Cannot read \"" + (home_ + "/plain.txt/red.png").toStdString() +
                "\": Not a directory\n...<Error>...Can not get Picture.\n.NO.\n");
  // A picture file that does not decode is no placeholder: the load fails and says so.
  write("broken.pict", "PICT data cut off");
  EXPECT_EQ(run("p# = loadPicture(\"broken.pict\");"),
            "...<Error>...Cannot decode \"broken.pict\": its PICT picture is damaged or cut short\n"
            "...<Error>...Can not get Picture.\n.NO.\n");
  QDir().mkpath(home_ + "/memo.rtfd");
  write("memo.rtfd/TXT.rtf", "{\\rtf1\\ansi Hello\\par world}");
  EXPECT_EQ(run(("s$ = loadRTFD(\"" + home_ + "/memo.rtfd\"); s$;").toStdString()), "Hello\nworld\n.OK.\n");
}

TEST_F(LettersLMNO, LoadersRefusePipesAndDevicesInsteadOfHanging) {
  // A named pipe with no writer would block the run for ever; /dev/zero would never end.
  ASSERT_EQ(::mkfifo((home_ + "/pipe").toLocal8Bit().constData(), 0600), 0);
  const std::string pipe = (home_ + "/pipe").toStdString();
  EXPECT_EQ(run("p# = loadPicture(\"" + pipe + "\");"), "...<Error>...Cannot read \"" + pipe +
                                                            "\": it is a named pipe.\n"
                                                            "...<Error>...Can not get Picture.\n.NO.\n");
  EXPECT_EQ(run("p# = loadPicture(\"/dev/zero\");"),
            "...<Error>...Cannot read \"/dev/zero\": it is a character device.\n"
            "...<Error>...Can not get Picture.\n.NO.\n");
  EXPECT_EQ(run("t$ = loadText(\"" + pipe + "\");"), "...<Error>...Can't read file.\n.NO.\n");
  EXPECT_EQ(run("t$ = loadText(\"/dev/zero\");"), "...<Error>...Can't read file.\n.NO.\n");
  EXPECT_EQ(run("load(\"" + pipe + "\");").substr(0, 12), "...<Error>..");
}

TEST_F(LettersLMNO, OpenFileHandsTheFullPathToTheOpener) {
  const QString bin = home_ + "/bin", log = home_ + "/opened.txt";
  QDir().mkpath(bin);
  write("bin/xdg-open", ("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log + "'\n").toUtf8());
  QFile::setPermissions(bin + "/xdg-open", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const std::string path = std::getenv("PATH");
  setenv("PATH", (bin.toStdString() + ":" + path).c_str(), 1);
  EXPECT_EQ(run("openFile(\"a file.txt\"); openFile(\"/tmp/x\");"), ".OK.\n");
  setenv("PATH", path.c_str(), 1);
  QFile f(log);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(f.readAll()), home_ + "/a file.txt\n/tmp/x\n");
}

TEST_F(LettersLMNO, MovePathRenamesInTheWorkingFolder) {
  write("a.txt", "x");
  EXPECT_EQ(run("movePath(\"a.txt\", \"b.txt\");"), ".OK.\n");
  EXPECT_TRUE(QFile::exists(home_ + "/b.txt"));
  EXPECT_FALSE(QFile::exists(home_ + "/a.txt"));
  write("c.txt", "y");
  EXPECT_EQ(run("movePath(\"c.txt\", \"b.txt\");"), "...<Error>...Can not rename pathname\n.NO.\n");
}

TEST_F(LettersLMNO, GazoHoseiOfMatricesAndPictures) {
  EXPECT_EQ(run("gazoHosei(|1, 1, 1, 1, 1| |1, 1, 1, 1, 1| |1, 1, 50, 1, 1| |1, 1, 1, 1, 1| |1, 1, 1, 1, 1|, "
                "1, 1);"),
            "    1.0000     1.0000     1.0000     1.0000     1.0000\n"
            "    1.0000     1.0000     1.0000     1.0000     1.0000\n"
            "    1.0000     1.0000     1.0000     1.0000     1.0000\n"
            "    1.0000     1.0000     1.0000     1.0000     1.0000\n"
            "    1.0000     1.0000     1.0000     1.0000     1.0000\n.OK.\n");
  // Without outliers nothing changes, with the default factor and half-width.
  EXPECT_EQ(run("gazoHosei(|2, 2, 2| |2, 2, 2| |2, 2, 2|);"),
            "    2.0000     2.0000     2.0000\n    2.0000     2.0000     2.0000\n    2.0000     2.0000     "
            "2.0000\n.OK.\n");
  EXPECT_EQ(run("gazoHosei(|1, 2, 3| |4, 5, 6| |7, 8, 9|, 3);"),
            "    1.0000     2.0000     3.0000\n    4.0000     5.0000     6.0000\n    7.0000     8.0000     "
            "9.0000\n.OK.\n");
  // With the factor 1 the far corners of a ramp count as outliers of the whole image.
  EXPECT_EQ(run("gazoHosei(|1, 2, 3| |4, 5, 6| |7, 8, 9|);"),
            "    5.0000     5.0000     5.0000\n    5.0000     5.0000     5.0000\n    5.0000     5.0000     "
            "5.0000\n.OK.\n");
  EXPECT_EQ(run("gazoHosei(|1, 2, 3, 4, 5| |1, 2, 3, 4, 5|);"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("gazoHosei(|1, 2, 3| |4, 5, 6| |7, 8, 9|, 1, 0);"),
            "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("gazoHosei(|1, 2, 3| |4, 5, 6| |7, 8, 9|, 0.5);"), "...<Error>...gazoHosei\n.NO.\n");
  EXPECT_EQ(run("gazoHosei(1, 2, 3, 4);"), "...<Error>...Unknown function.\n.NO.\n");

  QImage image(5, 5, QImage::Format_RGB32);
  image.fill(qRgb(10, 20, 30));
  image.setPixel(2, 2, qRgb(250, 20, 30));
  ASSERT_TRUE(image.save(home_ + "/spot.png"));
  EXPECT_EQ(run("p# = gazoHosei(loadPicture(\"spot.png\"), 1, 1); getPictSize(p#);"),
            "    5.0000     5.0000\n.OK.\n");
}

}  // namespace
