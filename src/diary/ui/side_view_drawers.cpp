#include "diary/ui/side_view_drawers.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QTextEdit>

namespace pravella {

MemoSheetDrawer::MemoSheetDrawer(QWidget* parent) : QDockWidget(tr("Memo"), parent) {
  setObjectName(QStringLiteral("toggleMemo"));
  field_ = new QTextEdit(this);
  field_->setObjectName(QStringLiteral("toggleMemoField"));
  field_->setAcceptRichText(true);
  setWidget(field_);
}

PictureDrawer::PictureDrawer(QWidget* parent) : QDockWidget(tr("Picture"), parent) {
  setObjectName(QStringLiteral("pictDrawer"));
  auto* scroll = new QScrollArea(this);
  picture_ = new QLabel(scroll);
  picture_->setObjectName(QStringLiteral("pictureView"));
  picture_->setAlignment(Qt::AlignCenter);
  scroll->setWidget(picture_);
  scroll->setWidgetResizable(true);
  setWidget(scroll);
}

void PictureDrawer::showImage(const QImage& image) {
  picture_->setPixmap(QPixmap::fromImage(image));
  picture_->setProperty("imageSize", image.size());
}

}  // namespace pravella
