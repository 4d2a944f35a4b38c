#include "platform/ui/deferred_icon_style.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOption>

#include <functional>
#include <memory>
#include <optional>

namespace pravella {

namespace {

// An icon made by `make` the first time anything is asked of it but its existence. Copies
// share what was made.
class DeferredIconEngine : public QIconEngine {
 public:
  explicit DeferredIconEngine(std::function<QIcon()> make)
      : state_(std::make_shared<State>(State{std::move(make), std::nullopt})) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().actualSize(size, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    return icon().pixmap(size, scale, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return icon().availableSizes(mode, state);
  }
  QString iconName() override { return icon().name(); }
  bool isNull() override { return icon().isNull(); }
  QString key() const override { return QStringLiteral("pravella.deferred"); }
  QIconEngine* clone() const override { return new DeferredIconEngine(*this); }

 private:
  struct State {
    std::function<QIcon()> make;
    std::optional<QIcon> made;
  };
  const QIcon& icon() const {
    if (!state_->made) state_->made = state_->make();
    return *state_->made;
  }

  std::shared_ptr<State> state_;
};

}  // namespace

QIcon DeferredIconStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                      const QWidget* widget) const {
  // The option's own fields (direction, palette, state) are all the styles read for an icon.
  std::optional<QStyleOption> copied;
  if (option) copied = *option;
  const QPointer<const QStyle> base = baseStyle();
  const QPointer<const QWidget> from = widget;
  return QIcon(new DeferredIconEngine([base, icon, copied, from, hadWidget = widget != nullptr]() -> QIcon {
    if (!base || (hadWidget && !from)) return {};
    return base->standardIcon(icon, copied ? &*copied : nullptr, from.data());
  }));
}

void useDeferredIconStyle() {
  QStyle* chosen = QStyleFactory::create(QApplication::style()->name());
  if (chosen) QApplication::setStyle(new DeferredIconStyle(chosen));
}

}  // namespace pravella
