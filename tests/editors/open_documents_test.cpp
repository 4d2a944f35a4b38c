// The registry of open documents: stamps that see every kind of change, keys that meet behind
// links, the "keep both" names, and what a save tells the other views of its file.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTextDocument>

#include "editors/open_documents.h"
#include "platform/rich_text_file.h"
#include "support/test_home.h"

namespace {

using namespace pravella;

QString inHome(const QString& name) { return test::home() + "/" + name; }

void writeDocument(const QString& path, const QString& text) {
  QTextDocument doc;
  doc.setPlainText(text);
  ASSERT_TRUE(writeRtfdFile(path, doc).ok);
}

TEST(FileStamp, SeesEveryRewriteOfAPackage) {
  const QString path = inHome("a.rtfd");
  writeDocument(path, "one");
  const FileStamp first = FileStamp::of(path);
  EXPECT_TRUE(first.exists);
  EXPECT_EQ(FileStamp::of(path), first);  // nothing happened

  // Our own save: a new folder in its place, even with text of the same length.
  writeDocument(path, "two");
  const FileStamp second = FileStamp::of(path);
  EXPECT_NE(second, first);

  // Another editor writing the text file inside the package where it is.
  QFile inner(path + "/TXT.rtf");
  ASSERT_TRUE(inner.open(QIODevice::Append));
  inner.write(" ");
  inner.close();
  EXPECT_NE(FileStamp::of(path), second);

  EXPECT_FALSE(FileStamp::of(inHome("missing.rtfd")).exists);
}

TEST(DocumentKey, MeetsBehindLinksAndBeforeTheFileExists) {
  QDir().mkpath(inHome("day"));
  writeDocument(inHome("day/a.rtfd"), "x");
  ASSERT_TRUE(QFile::link(inHome("day/a.rtfd"), inHome("link.rtfd")));
  ASSERT_TRUE(QFile::link("day/a.rtfd", inHome("relative.rtfd")));
  EXPECT_EQ(documentKey(inHome("link.rtfd")), documentKey(inHome("day/a.rtfd")));
  EXPECT_EQ(documentKey(inHome("relative.rtfd")), documentKey(inHome("day/a.rtfd")));
  EXPECT_EQ(documentKey(inHome("day/../day/new.rtfd")), documentKey(inHome("day/new.rtfd")));
  EXPECT_TRUE(documentKey(QString()).isEmpty());
}

TEST(KeepBothPath, TakesTheFirstFreeNumberBeforeTheExtension) {
  QDir().mkpath(inHome("d"));
  struct Case {
    const char* path;
    const char* taken;  // made before asking
    const char* expected;
  } cases[] = {
      {"d/Shopping.rtfd", nullptr, "d/Shopping (2).rtfd"},
      {"d/Shopping.rtfd", "d/Shopping (2).rtfd", "d/Shopping (3).rtfd"},
      {"d/notes", nullptr, "d/notes (2)"},
      {"d/plan.v2.rtf", nullptr, "d/plan.v2 (2).rtf"},
  };
  for (const Case& c : cases) {
    if (c.taken) QDir().mkpath(inHome(c.taken));
    EXPECT_EQ(keepBothPath(inHome(c.path)), inHome(c.expected)) << c.path;
  }
}

TEST(KeepBothPath, ShortensANameThatWouldNotFitTheFileSystem) {
  QDir().mkpath(inHome("d"));
  const QString euro(1, QChar(0x20AC));  // three bytes in UTF-8
  const QString stem = QString(160, 'a') + euro.repeated(30);  // 250 bytes
  // The number takes the place of whole characters at the end of the name.
  EXPECT_EQ(keepBothPath(inHome("d/" + stem + ".rtfd")),
            inHome("d/" + QString(160, 'a') + euro.repeated(28) + " (2).rtfd"));
  const QString kept = keepBothPath(inHome("d/" + stem + ".rtfd"));
  ASSERT_TRUE(QDir().mkpath(kept)) << "the name does not fit";
}

// A view of the registry: counts what it is told.
struct View {
  explicit View(bool* edited) : slot(hooks(edited)) {}
  DocumentSlot::Hooks hooks(bool* edited) {
    DocumentSlot::Hooks h;
    h.edited = [edited] { return *edited; };
    h.reload = [this] { ++reloads; };
    h.changedElsewhere = [this] { ++marks; };
    return h;
  }
  int reloads = 0, marks = 0;
  DocumentSlot slot;
};

TEST(OpenDocuments, ASaveTellsTheOtherViewsOfTheFileOnly) {
  const QString path = inHome("a.rtfd");
  writeDocument(path, "first");
  writeDocument(inHome("b.rtfd"), "other");
  bool clean = false, edited = true;
  View saver(&clean), reader(&clean), editor(&edited), elsewhere(&clean);
  saver.slot.shown(path);
  reader.slot.shown(path);
  editor.slot.shown(path);
  elsewhere.slot.shown(inHome("b.rtfd"));
  EXPECT_EQ(OpenDocuments::instance().showing(path).size(), 3u);

  writeDocument(path, "second");
  EXPECT_TRUE(saver.slot.changedOnDisk());
  saver.slot.wrote(path);
  EXPECT_FALSE(saver.slot.changedOnDisk());
  EXPECT_EQ(saver.reloads + saver.marks, 0);
  // The clean view read it again and holds the new stamp; the edited one keeps its edits and
  // its old stamp, so its own save will find the change.
  EXPECT_EQ(reader.reloads, 1);
  EXPECT_FALSE(reader.slot.changedOnDisk());
  EXPECT_EQ(editor.reloads, 0);
  EXPECT_EQ(editor.marks, 1);
  EXPECT_TRUE(editor.slot.changedElsewhere());
  EXPECT_TRUE(editor.slot.changedOnDisk());
  EXPECT_EQ(elsewhere.reloads + elsewhere.marks, 0);

  // A file that went away is no change to ask about: saving puts it back.
  QDir(path).removeRecursively();
  EXPECT_FALSE(editor.slot.changedOnDisk());
}

TEST(OpenDocuments, AViewThatGoesLeavesTheRegistry) {
  const QString path = inHome("a.rtfd");
  writeDocument(path, "x");
  bool clean = false;
  {
    View gone(&clean);
    gone.slot.shown(path);
    EXPECT_EQ(OpenDocuments::instance().showing(path).size(), 1u);
  }
  EXPECT_TRUE(OpenDocuments::instance().showing(path).empty());
  View saver(&clean);
  saver.slot.wrote(path);  // tells no one, and does not crash
}

}  // namespace
