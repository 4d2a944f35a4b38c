#include "graphics/ui/editors/cal_gr_edit.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "graphics/editors/gr_edit.h"
#include "graphics/editors/hand_editor_panels.h"
#include "graphics/ui/editors/view_snapshot.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/ui/sound_player.h"

namespace pravella {

grEditView::grEditView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(120, 90);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void grEditView::clearLine() {
  grEditState().lasso.clear();
  update();
}

void grEditView::paintEvent(QPaintEvent*) {
  const GrEditState& s = grEditState();
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.drawImage(0, 0, s.image);
  const auto& points = s.lasso.points();
  if (points.empty()) return;
  // The view's y runs down; the lasso's runs up.
  const int H = height();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::red, 2));
  painter.drawEllipse(QRectF(static_cast<int>(points[0].x()) - 5, H - static_cast<int>(points[0].y()) - 5, 10, 10));
  QPainterPath path(QPointF(points[0].x(), H - points[0].y()));
  for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(points[i].x(), H - points[i].y());
  painter.setPen(QPen(Qt::blue, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(path);
}

void grEditView::addPoint(QPointF qtPosition) {
  grEditState().lasso.addPoint(qtPosition.x(), height() - qtPosition.y());
  update();
}

void grEditView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) addPoint(event->position());
}

void grEditView::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) addPoint(event->position());
}

void grEditView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  grEditResize(width(), height());
  update();
}

CalGrEdit::CalGrEdit(QWidget* parent) : QDialog(parent), imageView_(new grEditView(this)) {
  setWindowTitle(QStringLiteral("grEdit"));
  setSizeGripEnabled(true);
  auto* buttons = new QHBoxLayout;
  auto add = [&](const QString& label, auto action) {
    auto* button = new QPushButton(label, this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, action);
    buttons->addWidget(button);
    return button;
  };
  add(QStringLiteral("Select"), [this] { selectAction(); });
  add(QStringLiteral("Deselect"), [this] { deselectAction(); });
  add(QStringLiteral("Revert"), [this] { revertAction(); });
  add(QStringLiteral("Clear"), [this] { imageView_->clearLine(); });
  buttons->addStretch();
  add(QStringLiteral("Cancel"), [this] { dialogCancel(); });
  add(QStringLiteral("OK"), [this] { dialogOk(); })->setObjectName(QStringLiteral("okButton"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(imageView_, 1);
  layout->addLayout(buttons);
  adjustSize();
  // The first plot is drawn at the view's intended size; a view laid out otherwise when the
  // panel shows draws it again.
  grEditState().viewWidth = imageView_->sizeHint().width();
  grEditState().viewHeight = imageView_->sizeHint().height();
  GrEditState& s = grEditState();
  s.sound = [](const QString& name) { playFeedbackSound(name); };
  s.lasso.sound = s.sound;
  NotificationCenter::defaultCenter().addObserver(QString::fromLatin1(kShowGrEditPanel), this,
                                                  [this](Notification& n) { n.reply = showGrEditPanel(); });
}

CalGrEdit::~CalGrEdit() { NotificationCenter::defaultCenter().removeObservers(this); }

int CalGrEdit::showGrEditPanel() {
  imageView_->update();
  const int code = exec();
  hide();
  if (code == kPanelCanceled) showErrMessageToConsole("Dialog is canceled\n");
  if (code == kPanelAccepted) showErrMessageToConsole("Dialog is accepted\n");
  return code;
}

void CalGrEdit::selectAction() {
  grEditSelect(true);
  imageView_->update();
}

void CalGrEdit::deselectAction() {
  grEditSelect(false);
  imageView_->update();
}

void CalGrEdit::revertAction() {
  grEditRevert();
  imageView_->update();
}

void CalGrEdit::dialogOk() {
  copyImage();
  const bool accept = grEditOk();
  imageView_->update();
  if (accept) done(kPanelAccepted);
}

void CalGrEdit::dialogCancel() { done(kPanelCanceled); }

void CalGrEdit::reject() { dialogCancel(); }

void CalGrEdit::copyImage() { copyViewAsTiff(imageView_); }

}  // namespace pravella
