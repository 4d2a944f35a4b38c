// The segmentation drawer driven as the user drives it: files from the browser, the seed and
// thresholds by mouse, the result line, the edits by the region, saving a copy, and the
// script buttons that programs set.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../med_fixtures.h"
#include "diary/diary_globals.h"
#include "diary/ui/side_view_room.h"
#include "imaging/med_image_files.h"
#include "imaging/region_growing.h"
#include "imaging/ui/cal_browser.h"
#include "imaging/ui/image_seg_view.h"
#include "imaging/ui/image_segmentation.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/ui/sound_player.h"
#include "support/dialog_watchdog.h"
#include "support/test_home.h"
#include "support/wait_for.h"

namespace {

using Pixel = std::function<std::int16_t(int x, int y, int z)>;

std::string volume(const std::string& name, int width, int height, int slices, const Pixel& pixel) {
  // The volume file keeps its rows before its columns.
  medfix::Bytes b = medfix::volumeFile(static_cast<std::uint32_t>(height), static_cast<std::uint32_t>(width),
                                       static_cast<std::uint32_t>(slices), 0);
  for (int z = 0; z < slices; ++z)
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) b.u16(static_cast<std::uint16_t>(pixel(x, y, z)));
  return medfix::write(name, b.data);
}

QString q(const std::string& s) { return QString::fromStdString(s); }

// A block of 4 rows by 251 columns of 100 on 7: the filter takes its 4 corners, 1,000 remain.
std::int16_t block(int x, int y, int) { return x >= 2 && x <= 252 && y >= 2 && y <= 5 ? 100 : 7; }

class Segmentation : public testing::Test {
 protected:
  void SetUp() override {
    SheetCanOpen.store(1);
    pravella::setSoundRecorder([this](const QString& s) { sounds << s; });
    window = std::make_unique<QMainWindow>();
    window->setCentralWidget(new QWidget(window.get()));
    host.mainWindow = window.get();
    host.closeAllToggleView = [this] {
      for (QDockWidget* d : docks) d->hide();
    };
    host.setToggleStatus = [this](int s) {
      const int old = toggle;
      toggle = s;
      return old;
    };
    host.addSideView = [this](QDockWidget* d) {
      window->addDockWidget(Qt::RightDockWidgetArea, d);
      d->hide();
      docks << d;
    };
    seg = std::make_unique<ImageSegmentation>(host);
    seg->awakeFromNib();
    window->resize(1000, 800);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    post("cal_openImageSegmentSheetWithPath", pravella::test::home());
    view = seg->imageView();
  }
  void TearDown() override {
    pravella::setSoundRecorder({});
    seg.reset();
    window.reset();
  }

  const ImageSegControls& c() { return view->controls(); }
  void post(const char* name, const QString& text = {}) {
    pravella::NotificationCenter::defaultCenter().post(QString::fromLatin1(name), text);
  }
  void open(const std::string& path) { post("setImageFilePath", q(path)); }
  // Clicks image pixel (x, y) at zoom 1 without pan.
  void clickPixel(int x, int y) {
    const double ox = (dataWidth - view->width()) * 0.5, oy = (dataHeight - view->height()) * 0.5;
    QTest::mouseClick(view, Qt::LeftButton, {},
                      QPoint(static_cast<int>(std::floor(x - ox)), static_cast<int>(std::floor(y - oy))));
  }
  std::int16_t imageAt(int x, int y, int z = 0) {
    return imageSGData[static_cast<std::size_t>(z) * dataWidth * dataHeight +
                       static_cast<std::size_t>(y) * dataWidth + x];
  }
  std::int16_t markAt(int x, int y, int z = 0) {
    return imageSGBUData[static_cast<std::size_t>(z) * dataWidth * dataHeight +
                         static_cast<std::size_t>(y) * dataWidth + x];
  }
  void segmentOn() {
    if (!c().segmentationSwitch->isChecked()) c().segmentationSwitch->click();
  }

  pravella::test::DialogWatchdog watchdog{{"QFileDialog"}};
  pravella::DeskToolHost host;
  std::unique_ptr<QMainWindow> window;
  std::unique_ptr<ImageSegmentation> seg;
  ImageSegView* view = nullptr;
  QList<QDockWidget*> docks;
  QStringList sounds;
  int toggle = 0;
};

TEST_F(Segmentation, OpeningSetsTheStepAndAClickTheThresholds) {
  EXPECT_TRUE(seg->drawer()->isVisible());
  EXPECT_EQ(toggle, 22);
  struct Case {
    int low, high, step;
  } cases[] = {{-1000, 3000, 7}, {0, 300, 1}};
  for (const Case& k : cases) {
    open(volume("r.vol", 16, 16, 3, [&](int x, int, int z) {
      return z == 0 && x == 0 ? k.low : z == 2 && x == 1 ? k.high : 50;
    }));
    EXPECT_EQ(deltaTHNumber, k.step) << k.low;
    EXPECT_EQ(c().minSlider->minimum(), k.low);
    EXPECT_EQ(c().maxSlider->value(), k.high);
    EXPECT_EQ(c().sliceSlider->value(), 2);
    EXPECT_EQ(c().minTHSteper->singleStep(), k.step);
    clickPixel(5, 5);
    EXPECT_EQ(c().minTHSlider->value(), 50 - 5 * k.step);
    EXPECT_EQ(c().maxTHSlider->value(), 50 + 5 * k.step);
    EXPECT_EQ(c().maxTHValueTField->text(), QString::number(50 + 5 * k.step));
    EXPECT_EQ(setPointX, 5);
    EXPECT_EQ(setPointY, 5);
    EXPECT_EQ(setPointZ, 1);
  }
  // A file the readers refuse leaves an empty view.
  open(medfix::write("no.txt", "nothing medical"));
  EXPECT_TRUE(imageSGData.empty());
  EXPECT_EQ(c().sliceNumber->text(), "???");
}

TEST_F(Segmentation, ResultLineOutlineAndSliceChange) {
  open(volume("b.vol", 260, 8, 3, block));
  c().sizeXField->setText("0.5");
  c().sizeYField->setText("0.5");
  c().sizeZField->setText("2");
  clickPixel(100, 3);
  EXPECT_EQ(c().minTHSlider->value(), 95);
  segmentOn();
  EXPECT_EQ(c().textView->toPlainText(), "   1000pixels\t   0.50ml\n");
  EXPECT_EQ(view->shownImage().pixelColor(100, 3), QColor(255, 0, 0));
  EXPECT_NE(view->shownImage().pixelColor(2, 2), QColor(255, 0, 0));  // a corner the filter took

  // With the outline only the pixels beside unmarked ones are red.
  c().boundarySwitch->click();
  EXPECT_EQ(view->shownImage().pixelColor(100, 2), QColor(255, 0, 0));
  EXPECT_NE(view->shownImage().pixelColor(100, 3), QColor(255, 0, 0));
  EXPECT_NE(view->shownImage().pixelColor(100, 4), QColor(255, 0, 0));

  // Another slice clears the seed: the next count is 0.
  c().nextSlice->click();
  EXPECT_EQ(setPointX, -1);
  c().textView->clear();
  view->segmentationAction();
  EXPECT_EQ(c().textView->toPlainText(), "      0pixels\t   0.00ml\n");
}

TEST_F(Segmentation, EditsByTheRegionAndSavingACopy) {
  const std::string path = volume("e.vol", 260, 8, 3, block);
  open(path);
  clickPixel(100, 3);
  segmentOn();
  c().keepArea->click();  // this slice only: outside the region becomes 0
  EXPECT_EQ(imageAt(0, 0, 1), 0);
  EXPECT_EQ(imageAt(2, 2, 1), 0);
  EXPECT_EQ(imageAt(100, 3, 1), 100);
  EXPECT_EQ(imageAt(0, 0, 0), 7);
  c().areaInvers->click();
  EXPECT_EQ(markAt(100, 3, 1), 0);
  EXPECT_EQ(markAt(0, 0, 0), 1);
  c().deleteArea->click();  // the marked pixels of this slice
  EXPECT_EQ(imageAt(100, 3, 1), 100);
  EXPECT_EQ(markAt(0, 0, 1), 0);
  EXPECT_EQ(markAt(0, 0, 0), 1);  // another slice
  // Smoothing: the mean of 3 x 3, truncated, from the unsmoothed values; edges stay. With the
  // volume switch off only the current slice (the second) changes.
  const std::vector<std::int16_t> before(imageSGData.begin(),
                                         imageSGData.begin() + 3 * dataWidth * dataHeight);
  auto was = [&](int x, int y, int z) {
    return before[static_cast<std::size_t>(z) * dataWidth * dataHeight +
                  static_cast<std::size_t>(y) * dataWidth + x];
  };
  c().smooth->click();
  EXPECT_EQ(sounds.last(), "Tink");
  for (int z : {0, 2})
    for (int y = 0; y < dataHeight; ++y)
      for (int x = 0; x < dataWidth; ++x)
        ASSERT_EQ(imageAt(x, y, z), was(x, y, z)) << x << " " << y << " " << z;
  for (int y = 0; y < dataHeight; ++y)
    for (int x = 0; x < dataWidth; ++x) {
      int expected = was(x, y, 1);
      if (x > 0 && y > 0 && x < dataWidth - 1 && y < dataHeight - 1) {
        int sum = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) sum += was(x + dx, y + dy, 1);
        expected = sum / 9;
      }
      ASSERT_EQ(imageAt(x, y, 1), expected) << x << " " << y;
    }
  // With it on, every slice.
  c().volumeSwitch->click();
  c().smooth->click();
  c().volumeSwitch->click();
  EXPECT_EQ(imageAt(2, 2, 0), (7 * 5 + 100 * 4) / 9);
  EXPECT_EQ(imageAt(2, 2, 2), (7 * 5 + 100 * 4) / 9);
  EXPECT_EQ(imageAt(0, 0, 0), 7);
  const std::int16_t smoothed = imageAt(2, 3, 1);

  // Save over a copy, then reopen: edited values, the source's header byte for byte.
  c().save->click();
  QFileDialog* sheet = view->saveSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->windowTitle(), "SaveImageData");
  EXPECT_EQ(sheet->directory().absolutePath(), pravella::test::home());
  QStringList reloaded;
  const auto id = pravella::NotificationCenter::defaultCenter().addObserver(
      "reloadImageSegmentBrowserData", nullptr, [&](pravella::Notification& n) { reloaded << n.text; },
      pravella::Delivery::PostingThread);
  const QString copy = pravella::test::home() + "/copy.vol";
  sheet->selectFile(copy);
  static_cast<QDialog*>(sheet)->accept();
  pravella::NotificationCenter::defaultCenter().removeObserver(id);
  EXPECT_EQ(reloaded, QStringList{pravella::test::home()});
  const std::string source = medfix::read(path), saved = medfix::read(copy.toStdString());
  ASSERT_EQ(saved.size(), source.size());
  EXPECT_EQ(saved.substr(0, static_cast<std::size_t>(DataPos)),
            source.substr(0, static_cast<std::size_t>(DataPos)));
  open(copy.toStdString());
  EXPECT_EQ(imageAt(2, 3, 1), smoothed);
  EXPECT_EQ(imageAt(0, 0, 1), 0);

  // Restore reads the slice back from the file.
  imageSGData[static_cast<std::size_t>(dataWidth) * dataHeight] = 999;
  c().restoreArea->click();
  EXPECT_EQ(imageAt(0, 0, 1), 0);
}

// The content (its browser reads the file system) waits for the drawer's first opening; what
// programs set before holds then.
TEST_F(Segmentation, ContentIsBuiltWhenTheDrawerFirstOpensWithWhatProgramsSetBefore) {
  docks.clear();
  seg = std::make_unique<ImageSegmentation>(host);
  seg->awakeFromNib();
  EXPECT_FALSE(seg->drawer()->isVisible());
  EXPECT_EQ(seg->imageView(), nullptr);
  EXPECT_EQ(seg->browser(), nullptr);
  QDir().mkpath(pravella::paths::documents());
  post("cal_setImageSegmentSheetButton", "2\tTwo\tx = 2;");
  post("reloadImageSegmentBrowserData", pravella::paths::documents());
  EXPECT_EQ(seg->imageView(), nullptr);

  seg->toggleISSheet();
  EXPECT_TRUE(seg->drawer()->isVisible());
  ASSERT_NE(seg->imageView(), nullptr);
  EXPECT_EQ(seg->jumpButtons()->button(1)->text(), "Two");
  EXPECT_EQ(seg->jumpButtons()->button(0)->text(), "Script 1");
  EXPECT_EQ(seg->browser()->path(), pravella::paths::documents());
}

TEST_F(Segmentation, ScriptButtonsAndTheBrowser) {
  QStringList memoMenu, code;
  auto& center = pravella::NotificationCenter::defaultCenter();
  const auto a = center.addObserver(
      "calculationOnMemoMenu", nullptr, [&](pravella::Notification& n) { memoMenu << n.text; },
      pravella::Delivery::PostingThread);
  const auto b = center.addObserver(
      "calculationOnEditModule", nullptr, [&](pravella::Notification& n) { code << n.text; },
      pravella::Delivery::PostingThread);
  post("cal_setImageSegmentSheetButton", "3\tThree\tx = 1;");
  EXPECT_EQ(seg->jumpButtons()->button(2)->text(), "Three");
  for (const char* bad : {"0\tZero\ta", "6\tSix\tb"}) post("cal_setImageSegmentSheetButton", bad);
  for (QAbstractButton* button : seg->jumpButtons()->buttons()) {
    EXPECT_NE(button->text(), "Zero");
    EXPECT_NE(button->text(), "Six");
  }
  seg->jumpButtons()->button(2)->click();
  EXPECT_EQ(code, QStringList{"x = 1;"});
  post("cal_setImageSegmentSheetButton", "1\tOne\tx");
  seg->jumpButtons()->button(0)->click();  // one character: never run
  EXPECT_EQ(code.size(), 1);
  QDir().mkpath(pravella::paths::commandScripts());
  QTextDocument doc;
  doc.setPlainText("y = 2;");
  ASSERT_TRUE(pravella::writeRtfFile(pravella::paths::commandScripts() + "/seg.rtf", doc).ok);
  post("cal_setImageSegmentSheetButton", "5\tFile\tseg.rtf");
  seg->jumpButtons()->button(4)->click();
  EXPECT_EQ(memoMenu, QStringList{"y = 2;"});
  // A plain-text command file runs too (it ran nothing before), whatever its encoding; one that
  // cannot be read runs nothing, says why on the console and plays "Basso".
  QFile plain(pravella::paths::commandScripts() + "/plain.txt");
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.write("z = \x93\xfa\x96\x7b;");  // Shift JIS
  plain.close();
  post("cal_setImageSegmentSheetButton", "4\tPlain\tplain.txt");
  QTest::mouseClick(seg->jumpButtons()->button(3), Qt::LeftButton);
  EXPECT_EQ(memoMenu, (QStringList{"y = 2;", QString::fromUtf8("z = 日本;")}));
  QDir().mkpath(pravella::paths::commandScripts() + "/broken.rtfd");
  post("cal_setImageSegmentSheetButton", "4\tBroken\tbroken.rtfd");
  sounds.clear();
  QTest::mouseClick(seg->jumpButtons()->button(3), Qt::LeftButton);
  EXPECT_EQ(memoMenu.size(), 2);
  EXPECT_EQ(code.size(), 1);
  EXPECT_EQ(sounds, QStringList{"Basso"});
  center.removeObserver(a);
  center.removeObserver(b);

  // "~/Documents" is the home's Documents folder.
  QDir().mkpath(pravella::paths::documents());
  post("cal_openImageSegmentSheetWithPath", "~/Documents");
  EXPECT_EQ(seg->browser()->path(), pravella::paths::documents());

  // A dropped pair of files shows the first.
  const std::string first = volume("first.vol", 8, 8, 1, [](int, int, int) { return 1; });
  const std::string second = volume("second.vol", 8, 8, 1, [](int, int, int) { return 2; });
  EXPECT_TRUE(seg->browser()->dropFiles({QUrl::fromLocalFile(q(first)), QUrl::fromLocalFile(q(second))}));
  EXPECT_EQ(seg->browser()->path(), q(first));
  // A click in the browser opens the selected file in the view.
  seg->browserSingleClick();
  EXPECT_EQ(view->nowOpendImageFile(), q(first));
  EXPECT_EQ(seg->browser()->fileSystem()->filter() & QDir::Hidden, 0);

  // A double click opens it with the desktop's application, the path as the one argument.
  const QString bin = pravella::test::home() + "/bin", record = pravella::test::home() + "/xdg-open.log";
  QDir().mkpath(bin);
  QFile script(bin + "/xdg-open");
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write(("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + record + "'\n").toUtf8());
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", (bin + ":").toUtf8() + oldPath);
  seg->browserDoubleClick();
  qputenv("PATH", oldPath);
  EXPECT_EQ(QString::fromStdString(medfix::read(record.toStdString())), q(first) + "\n");
}

}  // namespace

namespace {

// A bar three wide whose row y (from 6) holds y - 5, so each step of the upper threshold adds
// three pixels, above a wide block of 11 that adds far more at once; 1,000 around them.
std::int16_t bar(int x, int y, int) {
  if (y >= 1 && y <= 15 && x >= 10 && x <= 12) return static_cast<std::int16_t>(std::max(0, y - 5));
  if (y >= 16 && y <= 25 && x >= 2 && x <= 20) return 11;
  return 1000;
}

TEST_F(Segmentation, SteppingPanAndTheVolumeSwitch) {
  open(volume("bar.vol", 24, 28, 1, bar));
  EXPECT_EQ(deltaTHNumber, 1);
  clickPixel(11, 3);
  c().minTHSlider->setValue(0);
  c().maxTHSlider->setValue(0);
  c().detectValueSlider->setValue(10);
  EXPECT_EQ(c().detectValueField->text(), "10");
  segmentOn();
  c().textView->clear();
  // One step up from the stepper runs the threshold up until the region jumps.
  c().maxTHSteper->setValue(1);
  EXPECT_EQ(c().maxTHSlider->value(), 11);
  EXPECT_EQ(c().maxTHSteper->value(), 11);
  EXPECT_EQ(c().maxTHValueTField->text(), "11");
  EXPECT_TRUE(c().textView->toPlainText().endsWith("ml\n"));
  // A stepper value outside its range is held at the range and moves nothing else.
  c().minTHSteper->setValue(12);
  EXPECT_EQ(c().minTHSteper->value(), 11);
  EXPECT_EQ(c().minTHSlider->value(), 11);

  // Dragging pans by the mouse's way over the zoom.
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(50, 50));
  QTest::mouseMove(view, QPoint(60, 44));
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(60, 44));
  EXPECT_EQ(view->panOffset(), QPointF(-10, 6));
  c().magSlider->setValue(20);
  EXPECT_EQ(c().magNumber->text(), "2");
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(50, 50));
  QTest::mouseMove(view, QPoint(40, 50));
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(40, 50));
  EXPECT_EQ(view->panOffset(), QPointF(-5, 6));

  // With the volume switch on the thresholds act on release.
  EXPECT_TRUE(c().maxTHSlider->hasTracking());
  c().volumeSwitch->click();
  EXPECT_FALSE(c().maxTHSlider->hasTracking());
  EXPECT_FALSE(c().minTHSteper->keyboardTracking());
}

}  // namespace

namespace {

TEST_F(Segmentation, EqualDisplayBoundsAndTheOutlineOnTheLastRow) {
  open(volume("ramp.vol", 16, 16, 2, [](int x, int y, int) { return x * 16 + y; }));
  // Equal display bounds: above the bound full level, the rest black.
  c().minSlider->setValue(100);
  c().maxSlider->setValue(100);
  EXPECT_EQ(view->shownImage().pixelColor(7, 0), QColor(255, 255, 255));  // 112
  EXPECT_EQ(view->shownImage().pixelColor(6, 0), QColor(0, 0, 0));        // 96
  // The whole last slice marked: with the outline, its last row borders the end of the mask.
  c().nextSlice->click();
  segmentOn();
  std::fill(imageSGBUData.begin() + 256, imageSGBUData.end(), std::int16_t{1});
  c().boundarySwitch->click();
  EXPECT_EQ(view->shownImage().pixelColor(5, 15), QColor(255, 0, 0));
  EXPECT_NE(view->shownImage().pixelColor(5, 8), QColor(255, 0, 0));
}

}  // namespace

namespace {

// The width a field's text is drawn in: inside its frame and text margins, less the blank the
// field keeps on each side, and no wider than what of the field is seen.
int visibleTextWidth(const QLineEdit* field) {
  QStyleOptionFrame option;
  option.initFrom(field);
  option.rect = field->rect();
  option.lineWidth =
      field->hasFrame() ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field) : 0;
  const QRect contents = field->style()
                             ->subElementRect(QStyle::SE_LineEditContents, &option, field)
                             .marginsRemoved(field->textMargins());
  return contents.intersected(field->visibleRegion().boundingRect()).width() - 2 * 2;
}

TEST_F(Segmentation, EachVoxelSizeShowsWholeInItsField) {
  // An ACR-NEMA scan of two 3 x 2 slices whose pixels are half a unit apart, the slices two.
  medfix::Bytes scan;
  scan.element16(0x0028, 0x0010, 2).element16(0x0028, 0x0011, 3).element(0x0028, 0x0030, "0.5\\0.5");
  scan.element32(0x0029, 0x0030, 2).element(0x0029, 0x0100, "2.0");
  scan.u16(0x7FE0).u16(0x0010).u32(24).ramp(12);
  open(medfix::write("sized.acr", scan.data));
  const std::pair<QLineEdit*, QString> fields[] = {
      {c().sizeXField, "0.5000"}, {c().sizeYField, "0.5000"}, {c().sizeZField, "2.0000"}};
  // The drawer as wide as the application opens a side view, or as narrow as it may be.
  QDockWidget* drawer = seg->drawer();
  window->resizeDocks({drawer}, {pravella::kSideViewDefaultWidth}, Qt::Horizontal);
  ASSERT_TRUE(pravella::test::becomesTrue([&] {
    return drawer->width() <= std::max(pravella::kSideViewDefaultWidth, drawer->minimumSizeHint().width());
  }));
  for (const auto& [field, shown] : fields) {
    EXPECT_EQ(field->text(), shown);
    const int needed = field->fontMetrics().horizontalAdvance(field->text());
    EXPECT_TRUE(pravella::test::becomesTrue([&] { return visibleTextWidth(field) >= needed; }))
        << field->objectName().toStdString() << ": " << visibleTextWidth(field) << " pixels for " << needed;
  }
  // Side by side, none over another.
  EXPECT_LT(c().sizeXField->geometry().right(), c().sizeYField->geometry().left());
  EXPECT_LT(c().sizeYField->geometry().right(), c().sizeZField->geometry().left());
}

}  // namespace
