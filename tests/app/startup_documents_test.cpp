// What start-up shows of today's documents: only what the application shows itself; a
// document of another kind waits for the user's click before another program starts. And a
// DICOM file of the standard file format opens in the medical image view on a click.

#include <QFileInfo>
#include <QImage>
#include <QSlider>
#include <QTableWidget>

#include "app_fixture.h"
#include "imaging/med_fixtures.h"
#include "imaging/ui/med_image_drawer.h"
#include "imaging/ui/med_image_view.h"
#include "support/recording_opener.h"
#include "support/wait_for.h"

namespace {

using namespace app_test;
using pravella::test::becomesEqual;

class StartUpDocuments : public App {
 protected:
  // Each test puts today's documents in place, then starts the application.
  void SetUp() override {}
  void start() { App::SetUp(); }

  QString today() const { return pravella::paths::dayFolder(date_.year(), date_.month(), date_.day()); }
  void write(const QString& name, const QByteArray& bytes) {
    QDir().mkpath(today());
    QFile file(today() + "/" + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << s(name);
    file.write(bytes);
  }
  void writeMemo(const QString& name, const QString& text) {
    QTextDocument doc;
    doc.setPlainText(text);
    ASSERT_TRUE(pravella::writeRtfdFile(today() + "/" + name, doc).ok);
  }
  void clickRow(const QString& name) {
    const int row = static_cast<int>(calendar().diaryFiles().indexOf(name));
    ASSERT_GE(row, 0) << s(name);
    QTableWidget* table = window().diaryFileField();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualItemRect(table->item(row, 1)).center());
  }

  const QDate date_ = QDate::currentDate();
  pravella::test::RecordingOpener opener;  // first on PATH before the application starts
};

TEST_F(StartUpDocuments, StartUpShowsItsOwnKindsAndStartsNoOtherProgram) {
  write("$(touch x)", "a name an FTP Get brought");
  write("--help.zzz", "a kind nothing here shows");
  writeMemo("notes.rtfd", "my notes");
  start();
  EXPECT_EQ(calendar().nowDisplayedDocument(), today() + "/notes.rtfd");
  EXPECT_EQ(memo()->toPlainText(), "my notes");
  // The user's click starts the desktop's opener, with that document and no other.
  clickRow("--help.zzz");
  EXPECT_TRUE(becomesEqual([this] { return opener.recordedWhenDone(); }, "1\n" + today() + "/--help.zzz\n"));
  EXPECT_FALSE(QFileInfo::exists(today() + "/x"));
}

TEST_F(StartUpDocuments, ADayOfOtherKindsOnlyStartsWithANewMemo) {
  write("--help.zzz", "a kind nothing here shows");
  start();
  EXPECT_TRUE(calendar().nowDisplayedDocument().isEmpty());
  clickRow("--help.zzz");
  EXPECT_TRUE(becomesEqual([this] { return opener.recordedWhenDone(); }, "1\n" + today() + "/--help.zzz\n"));
}

TEST_F(StartUpDocuments, ADicomFileWithItsPreambleOpensInTheMedicalViewOnAClick) {
  write("scan.dcm", QByteArray::fromStdString(medfix::dicomFile(4, 3).bytes.data));
  writeMemo("a.rtfd", "first");
  start();
  ASSERT_EQ(calendar().nowDisplayedDocument(), today() + "/a.rtfd");
  clickRow("scan.dcm");
  // The drawer class has no meta-object of its own: found by its name.
  auto* drawer = static_cast<MedImageDrawer*>(window().findChild<QDockWidget*>("medImageDraw"));
  ASSERT_NE(drawer, nullptr);
  EXPECT_TRUE(pravella::test::becomesTrue([drawer] { return drawer->isVisible(); }));
  EXPECT_EQ(drawer->imageView->image().size(), QSize(4, 3));
  EXPECT_EQ(drawer->sliceSlider->maximum(), 1);
  EXPECT_TRUE(becomesEqual([this] { return opener.recordedWhenDone(); }, QString()));
}

}  // namespace
