// The guarded reader: a file's bytes within a bound, and a named pipe or a device named by its
// kind and never read (a pipe without a writer would hold the reader; /dev/zero never ends).

#include "platform/bounded_read.h"

#include <gtest/gtest.h>

#include <QFile>

#include "support/non_regular_files.h"
#include "support/test_home.h"

namespace {

using namespace pravella;

void write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

TEST(BoundedRead, FilesAreReadWithinTheirBoundAndSpecialFilesNever) {
  const QString home = test::home();
  write(home + "/ten", "0123456789");
  ASSERT_TRUE(test::makeFifo(home + "/pipe"));
  ASSERT_TRUE(test::makeLink("/dev/zero", home + "/zero"));
  ASSERT_TRUE(test::makeLink(home + "/pipe", home + "/to-pipe"));
  test::HangGuard guard({home + "/pipe"});

  struct Case {
    QString name;
    QString kind;             // specialFileKind
    ReadRefusal whole, head;  // reading it all within 10 bytes, and its first 4
    QByteArray wholeBytes, headBytes;
  };
  const Case cases[] = {
      {"ten", "", ReadRefusal::None, ReadRefusal::None, "0123456789", "0123"},
      {"pipe", "named pipe", ReadRefusal::NotRegular, ReadRefusal::NotRegular, {}, {}},
      {"to-pipe", "named pipe", ReadRefusal::NotRegular, ReadRefusal::NotRegular, {}, {}},
      {"zero", "character device", ReadRefusal::NotRegular, ReadRefusal::NotRegular, {}, {}},
      {"missing", "", ReadRefusal::Missing, ReadRefusal::Missing, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    const QString path = home + "/" + c.name;
    EXPECT_EQ(specialFileKind(path), c.kind);
    const BoundedRead whole = readRegularFile(path, 10), head = readRegularFileHead(path, 4);
    EXPECT_EQ(whole.refusal, c.whole);
    EXPECT_EQ(whole.data, c.wholeBytes);
    EXPECT_EQ(head.refusal, c.head);
    EXPECT_EQ(head.data, c.headBytes);
    if (!c.kind.isEmpty()) {
      EXPECT_TRUE(whole.error.endsWith("it is a " + c.kind + ".")) << whole.error.toStdString();
    }
  }
  EXPECT_EQ(readRegularFile(home + "/ten", 9).refusal, ReadRefusal::TooLarge);
  EXPECT_EQ(specialFileRefusal("a.txt", "named pipe"), "a.txt is a named pipe, which is not opened.");
}

}  // namespace
