// The medical image viewer's drawer, driven as the user drives it: files opened by
// notification, the window controls and presets, ROIs placed with the mouse, their file, and
// slices pasted into the memo.

#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTextEdit>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "../med_fixtures.h"
#include "diary/diary_globals.h"
#include "editors/ui/main_text_view.h"
#include "imaging/med_viewer.h"
#include "imaging/ui/cal_med_image.h"
#include "imaging/ui/get_key_on_roi_table.h"
#include "imaging/ui/med_image_drawer.h"
#include "imaging/ui/med_image_view.h"
#include "lang/builtins/startup.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/ui/sound_player.h"
#include "support/dialog_watchdog.h"
#include "support/test_home.h"
#include "support/wait_for.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '[' << l.join('|').toStdString() << ']';
}

namespace {

namespace mv = pravella::medview;
using Pixel = std::function<std::int16_t(int x, int y, int z)>;
using pravella::test::becomesEqual;

// A volume data file of width x height x slices with the given pixels.
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

class MedImageViewer : public testing::Test {
 protected:
  void SetUp() override {
    SheetCanOpen.store(1);
    pravella::setSoundRecorder([this](const QString& s) { sounds << s; });
    window = std::make_unique<QMainWindow>();
    window->setCentralWidget(new QTextEdit(window.get()));
    pravella::DeskToolHost host;
    host.mainWindow = window.get();
    host.closeAllToggleView = [this] {
      ++closes;
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
    host.nowDisplayedDocument = [this] { return shownDocument; };
    viewer = std::make_unique<CalMedImage>(host);
    viewer->awakeFromNib();
    d = viewer->drawer();
    window->resize(900, 700);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    pravella::setSoundRecorder({});
    viewer.reset();
    window.reset();
  }

  void open(const std::string& path) {
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("openMedImageWithPath"), q(path));
  }
  void type(QLineEdit* field, int value) {
    field->setText(QString::number(value));
    QTest::keyClick(field, Qt::Key_Return);
  }
  int num(QLineEdit* field) { return field->text().toInt(); }
  QColor pixel(int x, int y) { return d->imageView->image().pixelColor(x, y); }
  // A point of the view, in Qt's downward y, from view points with y upwards.
  QPoint at(int x, int yUp) { return QPoint(x, 255 - yUp); }
  QStringList roi(int row) { return viewer->roiArray().mid(row * 10, 10); }

  pravella::test::DialogWatchdog watchdog{{"QMessageBox", "QFileDialog"}};
  std::unique_ptr<QMainWindow> window;
  std::unique_ptr<CalMedImage> viewer;
  MedImageDrawer* d = nullptr;
  QList<QDockWidget*> docks;
  QStringList sounds;
  QString shownDocument;
  int closes = 0, toggle = 0;
};

TEST_F(MedImageViewer, OpensAtTheMiddleSlice) {
  struct Case {
    int slices, first;
  } cases[] = {{1, 1}, {5, 3}, {14, 8}};
  for (const Case& c : cases) {
    const std::string path = volume("v" + std::to_string(c.slices) + ".vol", 8, 8, c.slices,
                                    [](int, int, int z) { return z * 10; });
    open(path);
    EXPECT_EQ(d->sliceSlider->minimum(), 1);
    EXPECT_EQ(d->sliceSlider->maximum(), c.slices);
    EXPECT_EQ(d->sliceSlider->value(), c.first);
    EXPECT_EQ(num(d->sliceField), c.first);
    EXPECT_EQ(viewer->dataPath(), q(path));
  }
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(toggle, 9);
  EXPECT_EQ(closes, 3);
  EXPECT_EQ(sounds.count("Tink"), 3);

  // Old PET files: the 14-slice one shows file slice 7 second, turned upside down.
  medfix::Bytes pet;
  pet.zeros(1024);
  pet.big = true;
  for (int z = 0; z < 14; ++z)
    for (int i = 0; i < 128 * 128; ++i) pet.u16(static_cast<std::uint16_t>(z * 100 + i / 128));
  open(medfix::write("pet.img", pet.data));
  EXPECT_EQ(d->sliceSlider->maximum(), 14);
  EXPECT_EQ(num(d->sliceField), 8);
  EXPECT_EQ(viewer->imageData()[128 * 128 * 1], 700 + 127);

  // Not medical, or no file: nothing changes, nothing is said.
  const std::string before = viewer->dataPath().toStdString();
  open(medfix::write("words.txt", "just some words"));
  open(medfix::pathInHome("missing.vol"));
  EXPECT_EQ(viewer->dataPath().toStdString(), before);
  EXPECT_EQ(d->sliceSlider->maximum(), 14);
  EXPECT_EQ(sounds.count("Tink"), 4);

  // The calendar's shown document opens with "openMedImageAction".
  shownDocument = q(volume("shown.vol", 8, 8, 2, [](int, int, int) { return 0; }));
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("openMedImageAction"));
  EXPECT_EQ(viewer->dataPath(), shownDocument);
}

TEST_F(MedImageViewer, WindowAndLevel) {
  open(volume("w.vol", 4, 4, 1, [](int x, int, int) { return x * 100; }));
  d->mriButton->click();
  EXPECT_EQ(sounds.last(), "Tink");
  // Each step: which control, the value typed; then lower, highest, upper.
  enum Control { Lower, Highest, Upper };
  struct Step {
    Control control;
    int typed, lower, highest, upper;
  } steps[] = {
      {Upper, 1300, 0, 1500, 1300},       {Upper, 1700, 0, 1500, 1500},   {Highest, 40000, 0, 30000, 1500},
      {Lower, 2500, 2000, 30000, 2000},  // the upper value is pushed up with the lower one
      {Lower, -2500, -2000, 30000, 2000}, {Lower, 500, 500, 30000, 2000}, {Highest, 200, 500, 501, 501},
      {Lower, 800, 501, 501, 501},        {Upper, 300, 501, 501, 501},
  };
  for (const Step& s : steps) {
    type(s.control == Lower ? d->minField : s.control == Highest ? d->maxFiled : d->currentMaxField, s.typed);
    EXPECT_EQ(num(d->minField), s.lower) << s.typed;
    EXPECT_EQ(d->minSlider->value(), s.lower) << s.typed;
    EXPECT_EQ(num(d->maxFiled), s.highest) << s.typed;
    EXPECT_EQ(d->maxSlider->value(), s.highest) << s.typed;
    EXPECT_EQ(num(d->currentMaxField), s.upper) << s.typed;
    EXPECT_EQ(d->mainSlider->value(), s.upper) << s.typed;
  }
  // Equal bounds (501, 501): values above lower at full level, the rest black.
  type(d->minField, 250);
  EXPECT_EQ(num(d->currentMaxField), 501);
  d->mainSlider->setValue(250);
  EXPECT_EQ(num(d->currentMaxField), 250);
  EXPECT_EQ(pixel(2, 0), QColor(0, 0, 0));  // 200 <= 250
  EXPECT_EQ(pixel(3, 0), QColor(255, 255, 255));
  EXPECT_EQ(pixel(1, 0), QColor(0, 0, 0));

  // The sliders act as the fields do.
  d->maxSlider->setValue(100);
  EXPECT_EQ(num(d->maxFiled), 251);
}

TEST_F(MedImageViewer, PresetsAndGain) {
  open(volume("p.vol", 4, 4, 1, [](int x, int, int) { return x * 100; }));
  struct Preset {
    QPushButton* button;
    int lower, highest, upper, colour;
  } presets[] = {
      {d->mriButton, 0, 1500, 1200, 1},
      {d->ctButton, -100, 100, 100, 1},
      {d->spectButton, 0, 1000, 800, 0},
      {d->petButton, 0, 10000, 7000, 0},
  };
  for (const Preset& p : presets) {
    p.button->click();
    EXPECT_EQ(num(d->minField), p.lower);
    EXPECT_EQ(d->minSlider->value(), p.lower);
    EXPECT_EQ(num(d->maxFiled), p.highest);
    EXPECT_EQ(d->mainSlider->minimum(), p.lower);
    EXPECT_EQ(d->mainSlider->maximum(), p.highest);
    EXPECT_EQ(d->mainSlider->value(), p.upper);
    EXPECT_EQ(num(d->currentMaxField), p.upper);
    EXPECT_EQ(d->colorChangeSwitch->checkedId(), p.colour);
  }
  EXPECT_EQ(sounds.count("Tink"), 5);
  // Grey, window 0..255: level v; gain 200 % holds level x gain at 255.
  d->mriButton->click();
  type(d->currentMaxField, 255);
  EXPECT_EQ(pixel(1, 0), QColor(100, 100, 100));
  d->densityMag->setValue(200);
  EXPECT_EQ(d->densityField->text(), "200");
  EXPECT_EQ(pixel(1, 0), QColor(200, 200, 200));
  EXPECT_EQ(pixel(2, 0), QColor(255, 255, 255));
  EXPECT_EQ(d->densityMag->minimum(), 10);
  EXPECT_EQ(d->densityMag->maximum(), 200);
}

// A 256-wide slice, one view point per pixel: values are the column, with a block of -40 at
// rows 100..139, columns 100..139.
std::int16_t roiPixel(int x, int y, int) {
  if (x >= 100 && x < 140 && y >= 100 && y < 140) return -40;
  return static_cast<std::int16_t>(x);
}

TEST_F(MedImageViewer, RoisByMouse) {
  const std::string path = volume("roi.vol", 256, 256, 3, roiPixel);
  open(path);
  QTest::mouseClick(d->imageView, Qt::LeftButton, {}, at(50, 200));
  EXPECT_TRUE(viewer->roiArray().isEmpty());  // ROI editing is off
  d->showROISwitch->setChecked(true);

  // A click away from every ROI makes one there; size 10 measures within 6 pixels.
  QTest::mouseClick(d->imageView, Qt::LeftButton, {}, at(50, 200));
  ASSERT_EQ(viewer->roiArray().size(), 10);
  EXPECT_EQ(roi(0), QStringList({"1", "2", " 50", "200", "10", "   56", "   44", "   50", "  0.0",
                                 "113"}));  // voxel size unknown
  // The file is written at mouse up.
  const QString file = mv::roiFilePath(q(path));
  EXPECT_EQ(pravella::plist::readStringArray(file).value_or(QStringList()), viewer->roiArray());

  // A ROI over the negative block reports its real largest value.
  QTest::mouseClick(d->imageView, Qt::LeftButton, {}, at(120, 255 - 120));
  ASSERT_EQ(viewer->roiArray().size(), 20);
  EXPECT_EQ(roi(1).mid(5), QStringList({"  -40", "  -40", "  -40", "  0.0", "113"}));

  // A drag inside the first moves it by the grab offset, without a jump.
  QTest::mousePress(d->imageView, Qt::LeftButton, {}, at(53, 198));
  QMouseEvent move(QEvent::MouseMove, QPointF(at(63, 188)), d->imageView->mapToGlobal(QPointF(at(63, 188))),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(d->imageView, &move);
  QTest::mouseRelease(d->imageView, Qt::LeftButton, {}, at(63, 188));
  ASSERT_EQ(viewer->roiArray().size(), 20);
  EXPECT_EQ(roi(0).mid(2, 3), QStringList({" 60", "190", "10"}));
  EXPECT_EQ(roi(0)[7], "   60");
  EXPECT_EQ(pravella::plist::readStringArray(file).value_or(QStringList()), viewer->roiArray());

  // A third, then delete the second: the third becomes number 2.
  QTest::mouseClick(d->imageView, Qt::LeftButton, {}, at(200, 30));
  ASSERT_EQ(viewer->roiArray().size(), 30);
  d->roiTableView->selectRow(1);
  d->deleteRoiButton->click();
  ASSERT_EQ(viewer->roiArray().size(), 20);
  EXPECT_EQ(roi(1).mid(0, 4), QStringList({"2", "2", "200", " 30"}));
  EXPECT_EQ(pravella::plist::readStringArray(file).value_or(QStringList()).size(), 20);

  // Copied as text with its header.
  d->copyRoiButton->click();
  EXPECT_TRUE(QApplication::clipboard()->text().startsWith(
      "No \t  Z \t  X \t  Y \tSize\t Max\t Min\tMean\t SD \tArea\n1\t2\t 60\t190\t10\t"));

  // Reopening reads them back.
  open(volume("other.vol", 8, 8, 1, [](int, int, int) { return 0; }));
  EXPECT_TRUE(viewer->roiArray().isEmpty());
  open(path);
  EXPECT_EQ(viewer->roiArray().size(), 20);

  // Delete-all asks first: Cancel keeps them, Delete removes them and the file follows.
  d->deleteAllRoiButton->click();
  ASSERT_NE(viewer->deleteAlert(), nullptr);
  EXPECT_EQ(viewer->deleteAlert()->text(), "Do you want to delete all ROIs ?");
  EXPECT_EQ(viewer->deleteAlert()->defaultButton()->text(), "Cancel");
  viewer->deleteAlert()->defaultButton()->click();
  EXPECT_EQ(viewer->roiArray().size(), 20);
  d->deleteAllRoiButton->click();
  ASSERT_NE(viewer->deleteAlert(), nullptr);
  for (QAbstractButton* b : viewer->deleteAlert()->buttons())
    if (b->text() == "Delete") b->click();
  EXPECT_TRUE(viewer->roiArray().isEmpty());
  EXPECT_EQ(sounds.last(), "Basso");
  EXPECT_EQ(pravella::plist::readStringArray(file).value_or(QStringList{"x"}), QStringList());
}

// An image taller than wide fits the view by its height: its bottom rows show and a ROI there
// measures them. Scaled by its width it lost all but its top quarter.
TEST_F(MedImageViewer, AnImageTallerThanWideShowsWholeAndRoisReachItsBottom) {
  open(volume("tall.vol", 64, 256, 1, [](int, int y, int) { return y >= 240 ? 1000 : 0; }));
  const QImage shown = d->imageView->grab().toImage();
  EXPECT_NE(shown.pixelColor(8, 250), shown.pixelColor(8, 100));
  EXPECT_EQ(shown.pixelColor(8, 250), shown.pixelColor(40, 245));
  d->showROISwitch->setChecked(true);
  QTest::mouseClick(d->imageView, Qt::LeftButton, {}, at(8, 6));  // image row 249, radius 6
  ASSERT_EQ(viewer->roiArray().size(), 10);
  EXPECT_EQ(roi(0).mid(5, 3), QStringList({" 1000", " 1000", " 1000"}));
}

TEST_F(MedImageViewer, AnotherImagesRoiFileIsMeasuredAgainHere) {
  const std::string first = volume("first.vol", 256, 256, 2, [](int x, int, int) { return x; });
  const std::string second =
      volume("second.vol", 256, 256, 2, [](int x, int, int z) { return 1000 + x + z; });
  QStringList rois = {"1", "1", "30",  "40",  "2", "0", "0", "0", "0", "0",
                      "2", "2", "100", "100", "4", "0", "0", "0", "0", "0"};
  ASSERT_TRUE(pravella::plist::writeStringArray(mv::roiFilePath(q(first)), rois));
  open(second);
  d->loadRoiButton->click();
  QFileDialog* sheet = viewer->roiFileSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->windowTitle(), "Set ROI data File");
  EXPECT_EQ(sheet->directory().absolutePath(), pravella::test::home());
  sheet->selectFile(mv::roiFilePath(q(first)));
  static_cast<QDialog*>(sheet)->accept();
  ASSERT_EQ(viewer->roiArray().size(), 20);
  EXPECT_EQ(roi(0).mid(5), QStringList({" 1032", " 1028", " 1030", "  0.0", "13"}));
  EXPECT_EQ(roi(1).mid(5), QStringList({" 1104", " 1098", " 1101", "  0.0", "29"}));
  EXPECT_EQ(pravella::plist::readStringArray(mv::roiFilePath(q(second))).value_or(QStringList()),
            viewer->roiArray());
  // The arrow keys of the table step through them and show each one's slice.
  d->roiTableView->selectRow(0);
  d->roiTableView->setFocus();
  QTest::keyClick(d->roiTableView, Qt::Key_Down);
  EXPECT_EQ(num(d->sliceField), 2);
  EXPECT_EQ(d->roiSize->text(), "4");
  QTest::keyClick(d->roiTableView, Qt::Key_Up);
  EXPECT_EQ(num(d->sliceField), 1);
}

TEST_F(MedImageViewer, SlicesArePastedIntoTheMemo) {
  ASSERT_EQ(vkStartUp(), 1);
  auto* memo = new mainTextView(window.get());
  window->setCentralWidget(memo);
  memo->awakeFromNib();
  open(volume("paste.vol", 16, 16, 4, [](int x, int, int z) { return x * 16 + z; }));
  auto pictures = [&] { return memo->toPlainText().count(QChar::ObjectReplacementCharacter); };
  d->pasteThisButton->click();
  ASSERT_TRUE(becomesEqual(pictures, 1));
  EXPECT_FALSE(QApplication::clipboard()->image().isNull());
  d->pasteAllButton->click();
  ASSERT_TRUE(becomesEqual(pictures, 5));
  EXPECT_EQ(num(d->sliceField), 3);  // back at the slice shown before
  EXPECT_EQ(QDir(pravella::paths::vkData()).entryList({"*.png"}, QDir::Files).size(), 5);
}

}  // namespace

namespace {

TEST_F(MedImageViewer, CheckDimsOutsideTheRoiAndCloseAsksForTheFinder) {
  open(volume("dim.vol", 256, 256, 1, [](int x, int, int) { return x; }));
  d->mriButton->click();
  type(d->currentMaxField, 255);
  d->showROISwitch->setChecked(true);
  d->checkROISwitch->click();
  QTest::mouseClick(d->imageView, Qt::LeftButton, {}, at(50, 200));
  EXPECT_EQ(pixel(50, 55), QColor(50, 50, 50));
  EXPECT_EQ(pixel(200, 55), QColor(100, 100, 100));  // half brightness, without the gain

  int finder = 0;
  const auto id = pravella::NotificationCenter::defaultCenter().addObserver(
      "cal_toggleFinderSheet", nullptr, [&](pravella::Notification&) { ++finder; },
      pravella::Delivery::PostingThread);
  const int before = closes;
  d->closeButton->click();
  pravella::NotificationCenter::defaultCenter().removeObserver(id);
  EXPECT_EQ(finder, 1);
  EXPECT_EQ(closes, before + 1);
  EXPECT_FALSE(d->isVisible());
}

}  // namespace
