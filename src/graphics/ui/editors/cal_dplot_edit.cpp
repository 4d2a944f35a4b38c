#include "graphics/ui/editors/cal_dplot_edit.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

#include "graphics/editors/density_plot_edit.h"
#include "graphics/editors/hand_editor_panels.h"
#include "graphics/ui/editors/view_snapshot.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/ui/sound_player.h"

namespace pravella {

namespace {
constexpr int kInitialWidth = 400;
}

dPlotEditView::dPlotEditView(QWidget* parent) : QWidget(parent) {}

void dPlotEditView::clearArea() {
  densityPlotEditState().lasso.clear();
  update();
}

void dPlotEditView::paintEvent(QPaintEvent*) {
  const DensityPlotEditState& s = densityPlotEditState();
  QPainter painter(this);
  painter.drawImage(rect(), s.image);
  const auto& points = s.lasso.points();
  if (points.empty()) return;
  const double fx = s.lasso.xFactor(), fy = s.lasso.yFactor();
  const int H = height();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::red, 2));
  const int cx = static_cast<int>(points[0].x() / fx), cy = static_cast<int>(points[0].y() / fy);
  painter.drawEllipse(QRectF(cx - 5, H - cy - 5, 10, 10));
  QPainterPath path(QPointF(points[0].x() / fx, H - points[0].y() / fy));
  for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(points[i].x() / fx, H - points[i].y() / fy);
  painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(path);
}

void dPlotEditView::addPoint(QPointF qtPosition) {
  densityPlotEditState().lasso.addPoint(qtPosition.x(), height() - qtPosition.y());
  update();
}

void dPlotEditView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) addPoint(event->position());
}

void dPlotEditView::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) addPoint(event->position());
}

CalDPlotEdit::CalDPlotEdit(QWidget* parent)
    : QDialog(parent), imageView_(new dPlotEditView(this)), buttons_(new QWidget(this)) {
  setWindowTitle(QStringLiteral("densityPlotEdit"));
  auto* row = new QHBoxLayout(buttons_);
  auto add = [&](const QString& label, auto action) {
    auto* button = new QPushButton(label, buttons_);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, action);
    row->addWidget(button);
    return button;
  };
  add(QStringLiteral("Clear"), [this] { imageView_->clearArea(); });
  row->addStretch();
  add(QStringLiteral("Cancel"), [this] { dialogCancel(); });
  add(QStringLiteral("OK"), [this] { dialogOK(); });
  setMinimumWidth(buttons_->sizeHint().width());
  resize(kInitialWidth, kInitialWidth);
  DensityPlotEditState& s = densityPlotEditState();
  s.sound = [](const QString& name) { playFeedbackSound(name); };
  s.lasso.sound = s.sound;
  NotificationCenter::defaultCenter().addObserver(
      QString::fromLatin1(kShowDensityPlotEditPanel), this,
      [this](Notification& n) { n.reply = showDensityPloyEditPanel(); });
}

CalDPlotEdit::~CalDPlotEdit() { NotificationCenter::defaultCenter().removeObservers(this); }

void CalDPlotEdit::placeView() {
  const DensityPlotEditState& s = densityPlotEditState();
  if (s.width_n <= 0 || s.height_m <= 0) return;
  const int w = width();
  const int h = std::max(1, static_cast<int>(std::lround(static_cast<double>(s.height_m) * w / s.width_n)));
  const int controls = buttons_->sizeHint().height();
  imageView_->setGeometry(0, 0, w, h);
  buttons_->setGeometry(0, h, w, controls);
  densityPlotEditState().lasso.setFactors(static_cast<double>(s.width_n) / w, static_cast<double>(s.height_m) / h);
  if (height() != h + controls) resize(w, h + controls);
  imageView_->update();
}

void CalDPlotEdit::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  placeView();
}

int CalDPlotEdit::showDensityPloyEditPanel() {
  placeView();
  const int code = exec();
  hide();
  if (code == kPanelCanceled) showErrMessageToConsole("dPlotEditPanelDialog is canceled\n");
  if (code == kPanelAccepted) showErrMessageToConsole("dPlotEditPanelDialog is accepted\n");
  return code;
}

void CalDPlotEdit::dialogOK() {
  copyImage();
  if (densityPlotEditOk()) done(kPanelAccepted);
}

void CalDPlotEdit::dialogCancel() { done(kPanelCanceled); }

void CalDPlotEdit::reject() { dialogCancel(); }

void CalDPlotEdit::copyImage() { copyViewAsTiff(imageView_); }

}  // namespace pravella
