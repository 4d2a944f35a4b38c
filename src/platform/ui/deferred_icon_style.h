#pragma once
// The application's style, with the standard icons read when first drawn. The style reads each
// from an image file, and the first read loads every image-format plugin (a dozen libraries);
// most of them (a menu bar's overflow button, the title buttons of hidden drawers) are never
// drawn at all. Everything else is the style's own.

#include <QProxyStyle>

namespace pravella {

class DeferredIconStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                     const QWidget* widget = nullptr) const override;
};

// Wraps the style the application chose (its default, -style or QT_STYLE_OVERRIDE); call
// once, after the application object and before the first widget.
void useDeferredIconStyle();

}  // namespace pravella
