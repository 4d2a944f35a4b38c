// The application's style reads a standard icon when it is first drawn, and draws it as the
// style it wraps would.

#include <gtest/gtest.h>

#include <QImage>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>

#include <memory>

#include "platform/ui/deferred_icon_style.h"

namespace {

// Fusion, counting how often it is asked for a standard icon.
class CountingStyle : public QProxyStyle {
 public:
  CountingStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override {
    ++asked;
    return QProxyStyle::standardIcon(icon, option, widget);
  }
  mutable int asked = 0;
};

TEST(DeferredIconStyle, AnIconIsReadWhenFirstDrawnAndDrawsAsTheWrappedStyle) {
  auto* counting = new CountingStyle;
  pravella::DeferredIconStyle style(counting);  // takes the counting style
  const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
  for (QStyle::StandardPixmap sp :
       {QStyle::SP_MediaPlay, QStyle::SP_BrowserReload, QStyle::SP_TitleBarCloseButton,
        QStyle::SP_ToolBarHorizontalExtensionButton}) {
    counting->asked = 0;
    const QIcon icon = style.standardIcon(sp);
    const QIcon copy = icon;  // a copy shares the read
    EXPECT_EQ(counting->asked, 0) << sp;
    EXPECT_EQ(icon.pixmap(16).toImage(), fusion->standardIcon(sp).pixmap(16).toImage()) << sp;
    EXPECT_EQ(copy.pixmap(32).toImage(), fusion->standardIcon(sp).pixmap(32).toImage()) << sp;
    EXPECT_FALSE(copy.isNull()) << sp;
    EXPECT_EQ(counting->asked, 1) << sp;
  }
}

// An icon asked for a widget that has gone by the time it is drawn is an empty icon.
TEST(DeferredIconStyle, AnIconOfAWidgetThatWentIsEmpty) {
  pravella::DeferredIconStyle style(QStyleFactory::create(QStringLiteral("Fusion")));
  auto button = std::make_unique<QPushButton>();
  const QIcon icon = style.standardIcon(QStyle::SP_MediaPlay, nullptr, button.get());
  button.reset();
  EXPECT_TRUE(icon.isNull());
}

}  // namespace
