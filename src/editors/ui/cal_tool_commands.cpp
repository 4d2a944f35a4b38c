// The commands through which programs read and set the controls of the user control panel and
// the drawer's own text view.

#include <QDockWidget>
#include <QFont>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>

#include <array>
#include <cmath>

#include "editors/am_mode_definition.h"
#include "editors/ui/am_mode_controls.h"
#include "editors/ui/cal_tool.h"
#include "editors/ui/document_commands.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "lang/builtins/command_bridge.h"
#include "lang/report.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"

using pravella::AmModeButton;
using pravella::AmModeImageView;
using pravella::AmModeSlider;
using pravella::AmModeTextField;
using pravella::Notification;
namespace dc = pravella::doc_commands;
namespace ammode = pravella::ammode;

namespace {

// Field i of a payload as a number held within the panel's limits; 0 when missing.
double number(const QStringList& f, int i) {
  if (i >= f.size()) return 0.0;
  bool ok = false;
  const double v = f[i].trimmed().toDouble(&ok);
  return ok ? ammode::clampNumber(v) : 0.0;
}

QString field(const QStringList& f, int i) { return i < f.size() ? f[i] : QString(); }

}  // namespace

void CalTool::fail(const char* message) {
  error_disp(message);
  pravella::failCommand();
}

QWidget* CalTool::controlOrFail(const QString& name, const char* notFound) const {
  QWidget* c = control(name);
  if (!c) fail(notFound);
  return c;
}

void CalTool::registerControlCommands() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  using pravella::payloadFields;

  on("cal_setAmModeBox", [this](Notification& n) {
    const QStringList f = payloadFields(n.text);
    if (!box_) return;
    box_->setTitle(field(f, 0));
    boxWidth_ = std::max(0.0, number(f, 1));
    boxHeight_ = std::max(0.0, number(f, 2));
    box_->resize(qRound(boxWidth_), qRound(boxHeight_));
    layoutToolView();
    toolView_->update();
  });
  on("cal_setAmModeSheetMenuButton", [this](Notification& n) {
    const QStringList f = payloadFields(n.text);
    bool ok = false;
    const int k = field(f, 0).toInt(&ok);
    if (!ok || k < 1 || k > 10) return;
    menuButtons_[static_cast<std::size_t>(k - 1)]->setText(field(f, 1));
    menuScripts_[static_cast<std::size_t>(k - 1)] = field(f, 2);
  });
  // Highlighted while its program runs; the program is posted from the thread of the program
  // that asked, so that it runs inside that program.
  on("cal_runAmModeButton", [this](Notification& n) {
    setPendingProgram(std::nullopt, nullptr);
    QWidget* c = control(n.text);
    if (!c) return;
    if (auto* b = qobject_cast<AmModeButton*>(c)) {
      b->setDown(true);
      b->repaint();
      runHighlight_ = b;
    }
    const Entry* e = entryOf(c);
    if (e && e->prog) setPendingProgram(*e->prog, c->window());
  });
  center.addObserver(QStringLiteral("cal_runAmModeButton"), this, [this](Notification&) { postPendingProgram(); },
                     pravella::Delivery::PostingThread);
  on("cal_runAmModeButton", [this](Notification&) {
    if (auto* b = qobject_cast<AmModeButton*>(runHighlight_.data())) {
      b->setDown(false);
      b->repaint();
    }
    runHighlight_.clear();
  });

  // Titles, frames and states.
  on("cal_setAmModeButtonTitle", [this](Notification& n) {
    const QStringList f = payloadFields(n.text);
    QWidget* c = controlOrFail(field(f, 0), "Can not find Button");
    if (!c) return;
    auto* b = qobject_cast<AmModeButton*>(c);
    if (!b) return fail("No AmMode Button");
    b->setText(field(f, 1));
  });
  on("cal_setAmModeButtonTitle_X", [this](Notification& n) {
    const QStringList f = payloadFields(n.text);
    QWidget* c = controlOrFail(field(f, 0), "Can not find Button");
    if (!c) return;
    auto* b = qobject_cast<AmModeButton*>(c);
    if (!b) return fail("No AmMode Button");
    b->setText(field(f, 1));
    QFont font(field(f, 2));
    const double size = number(f, 4);
    if (size > 0) font.setPointSizeF(size);
    b->setTitleFont(font);
    const int align = static_cast<int>(number(f, 3));
    b->setTextAlignment(align == 0 ? Qt::AlignLeft : align == 1 ? Qt::AlignHCenter : Qt::AlignRight);
    auto unit = [](double v) { return std::clamp(v, 0.0, 1.0); };
    b->setTitleColour(QColor::fromRgbF(static_cast<float>(unit(number(f, 5))), static_cast<float>(unit(number(f, 6))),
                                       static_cast<float>(unit(number(f, 7))), 1.0f));
  });
  on("cal_getAmModeButtonTitle", [this](Notification& n) {
    QWidget* c = controlOrFail(n.text, "Can not find Button");
    if (!c) return;
    if (auto* b = qobject_cast<AmModeButton*>(c)) return void(pravella::answerString(b->text()));
    if (auto* t = qobject_cast<AmModeTextField*>(c)) return void(pravella::answerString(t->text()));
    pravella::answerString(QString());
  });
  on("cal_setAmModeButtonFrame", [this](Notification& n) {
    const QStringList f = payloadFields(n.text);
    QWidget* c = controlOrFail(field(f, 0), "Can not find Button");
    if (!c) return;
    c->setGeometry(qRound(number(f, 1)), qRound(number(f, 2)), qRound(std::max(0.0, number(f, 3))),
                   qRound(std::max(0.0, number(f, 4))));
    if (box_) box_->update();
  });
  on("cal_getAmModeButtonFrame", [this](Notification& n) {
    QWidget* c = controlOrFail(n.text, "Can not find Button");
    if (!c) return;
    const QRect g = c->geometry();
    const std::array<double, 4> row{double(g.x()), double(g.y()), double(g.width()), double(g.height())};
    pravella::answerNumbers(row);
  });
  on("cal_getAmModeButtonStatus", [this](Notification& n) {
    QWidget* c = controlOrFail(n.text, "Can not find Button");
    if (!c) return;
    auto* b = qobject_cast<AmModeButton*>(c);
    if (!b) return fail("No Switch Button");
    pravella::answerNumber(b->isChecked() ? 1.0 : 0.0);
  });
  on("cal_setAmModeButtonStatus", [this](Notification& n) {
    const QStringList f = payloadFields(n.text);
    QWidget* c = controlOrFail(field(f, 0), "Can not find Button");
    if (!c) return;
    auto* b = qobject_cast<AmModeButton*>(c);
    if (!b) return fail("No Switch Button");
    if (b->isCheckable()) b->setChecked(static_cast<long>(number(f, 1)) != 0);
  });
  on("cal_getStringOfAmModeTextField", [this](Notification& n) {
    QWidget* c = controlOrFail(n.text, "Can not find Button");
    if (!c) return;
    auto* t = qobject_cast<AmModeTextField*>(c);
    if (!t) return fail("No TextField Button");
    pravella::answerString(t->text());
  });
  on("cal_setStringOfAmModeTextField", [this](Notification& n) {
    const QStringList f = payloadFields(n.text);
    QWidget* c = controlOrFail(field(f, 0), "Can not find Button");
    if (!c) return;
    auto* t = qobject_cast<AmModeTextField*>(c);
    if (!t) return fail("No TextField Button");
    t->setText(field(f, 1));
  });

  // Sliders: a name of no slider changes nothing; what a command changes redraws the ticks.
  auto onSlider = [this, &on](const char* name, std::function<void(AmModeSlider*, const QStringList&)> change) {
    on(name, [this, change = std::move(change)](Notification& n) {
      const QStringList f = payloadFields(n.text);
      if (auto* s = qobject_cast<AmModeSlider*>(control(field(f, 0)))) change(s, f);
    });
  };
  onSlider("cal_setNowValueToSliderButton", [](AmModeSlider* s, const QStringList& f) { s->setDoubleValue(number(f, 1)); });
  onSlider("cal_setMaxValueToSliderButton", [](AmModeSlider* s, const QStringList& f) {
    s->setMaximumValue(number(f, 1));
    s->updateTickMarks();
  });
  onSlider("cal_setMinValueToSliderButton", [](AmModeSlider* s, const QStringList& f) {
    s->setMinimumValue(number(f, 1));
    s->updateTickMarks();
  });
  onSlider("cal_setMinMaxValueToSliderButton", [](AmModeSlider* s, const QStringList& f) {
    s->setMinimumValue(number(f, 1));
    s->setMaximumValue(number(f, 2));
    s->updateTickMarks();
  });
  onSlider("cal_setMinNowMaxValueToSliderButton", [](AmModeSlider* s, const QStringList& f) {
    s->setMinimumValue(number(f, 1));
    s->setMaximumValue(number(f, 3));
    s->setDoubleValue(number(f, 2));
    s->updateTickMarks();
  });
  on("cal_getSliderValueOfAmMode", [this](Notification& n) {
    QWidget* c = controlOrFail(n.text, "Can not find Button");
    if (!c) return;
    auto* s = qobject_cast<AmModeSlider*>(c);
    if (!s) return fail("No Slider Button");
    const std::array<double, 3> row{s->minimumValue(), s->doubleValue(), s->maximumValue()};
    pravella::answerNumbers(row);
  });

  // Image views.
  auto imageView = [this](const QString& name) { return qobject_cast<AmModeImageView*>(control(name)); };
  on("cal_setImageToAmModeButton", [imageView](Notification& n) {
    AmModeImageView* v = imageView(n.text);
    if (!v) return fail("Can not find ImageView Button");
    v->resetPositionInImageView();
    const QByteArray picture = pravella::pictureFromClipboard();
    if (picture.isEmpty()) return;
    const QImage image = pravella::Picture(picture).toImage();
    if (!image.isNull()) v->setImage(image);
  });
  on("cal_getImageFromAmModeButton", [imageView](Notification& n) {
    AmModeImageView* v = imageView(n.text);
    if (!v) return fail("Can not find ImageView Button");
    // A view without an image fails rather than leave an older picture for the program.
    if (v->image().isNull() || DoCopyPictureToScrap(pravella::Picture::fromImage(v->image()).bytes()) != 1)
      pravella::failCommand();
  });
  on("cal_setAmModeImageViewMagFactor", [this](Notification& n) {
    const QStringList f = payloadFields(n.text);
    QWidget* c = controlOrFail(field(f, 0), "Can not find Button");
    if (!c) return;
    auto* v = qobject_cast<AmModeImageView*>(c);
    if (!v) return fail("No ImageView Button");
    Entry* e = entryFor(v);
    const double m = f.size() > 1 ? f[1].toDouble() : 0.0;
    if (e) e->magnification = m;
    v->setMagnification(m);
  });
  on("cal_setAmModeImageViewScaling", [imageView](Notification& n) {
    const QStringList f = payloadFields(n.text);
    AmModeImageView* v = imageView(field(f, 0));
    if (!v) return fail("Can not find ImageView Button");
    v->setScaling(ammode::imageScaling(field(f, 1).toStdString()));
  });
  on("cal_setAmModeImageViewAlignment", [imageView](Notification& n) {
    const QStringList f = payloadFields(n.text);
    AmModeImageView* v = imageView(field(f, 0));
    if (!v) return fail("Can not find ImageView Button");
    v->setImageAlignment(ammode::imageAlign(field(f, 1).toStdString()));
  });
  on("cal_setAmModeImageViewFrameStyle", [imageView](Notification& n) {
    const QStringList f = payloadFields(n.text);
    AmModeImageView* v = imageView(field(f, 0));
    if (!v) return fail("Can not find ImageView Button");
    v->setFrameStyleCode(ammode::imageFrameStyle(field(f, 1).toStdString()));
  });
}

void CalTool::registerDocumentCommands() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  QTextEdit* v = textView_;
  on("cal_setAmModeDocFont", [v](Notification& n) { dc::setFontName(v, n.text); });
  on("cal_setAmModeDocFontSize", [v](Notification& n) { dc::setFontSize(v, n.text); });
  on("cal_setAmModeDocFontColor", [v](Notification& n) { dc::setFontColour(v, n.text); });
  on("cal_getSelectedAmModeDoc", [v](Notification&) { dc::answerSelectedText(v); });
  on("cal_getAllAmModeDoc", [v](Notification&) { dc::answerAllText(v); });
  on("cal_AmModeDocCopy", [v](Notification&) { v->copy(); });
  on("cal_AmModeDocCut", [v](Notification&) { v->cut(); });
  on("cal_AmModeDocPaste", [v](Notification&) { v->paste(); });
  on("cal_getAmModeDocSelectedRange", [v](Notification&) { dc::answerSelectedRange(v); });
  on("cal_getAmModeDocLength", [v](Notification&) { dc::answerLength(v); });
  on("cal_setAmModeDocSelectedRange", [v](Notification& n) { dc::selectRange(v, n.text); });
  on("cal_setAmModeDocSelectedAll", [v](Notification&) { dc::selectAll(v); });
  on("cal_insertTextToAmModeDoc", [v](Notification& n) { dc::insertText(v, n.text); });
  on("cal_loadDocToAmModeTextView", [v](Notification& n) {
    const QString path = pravella::paths::commandScripts() + QLatin1Char('/') + n.text;
    QTextDocument probe;
    if (!pravella::readRichTextFile(path, probe)) return;
    pravella::readRichTextFile(path, *v->document());
    QTextCursor end(v->document());
    end.movePosition(QTextCursor::End);
    v->setTextCursor(end);
    v->verticalScrollBar()->setValue(0);
  });
}
