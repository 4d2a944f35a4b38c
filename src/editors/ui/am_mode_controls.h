#pragma once
// The controls of a user control panel. Each is its Qt widget plus what the panel needs: an
// Alt-click shows the control's block in the definition ("findButtonPositionInSource"), an
// Alt-drag moves it and, on release, has its frame line rewritten ("findAndMoveButtonInSource");
// buttons take file drops when their entry has a drop program; an image view with scaling
// "None" zooms and pans. Notifications name the control as their object.

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointF>
#include <QSlider>

#include <optional>

class QMouseEvent;

namespace pravella {

// Alt-click and Alt-drag, shared by the four controls.
class AmModeMoveTracker {
 public:
  // True when the press was the option key's: the control does nothing else with it.
  bool press(QWidget* control, const QMouseEvent* event);
  // True when the drag moved the control.
  bool drag(QWidget* control, const QMouseEvent* event);
  // Posts "findAndMoveButtonInSource" when a drag moved the control. True when the press was
  // the option key's.
  bool release(QWidget* control);
  // The last mouse position (global), for the image view's pan.
  QPointF lastPoint() const { return last_; }
  void setLastPoint(QPointF p) { last_ = p; }

 private:
  QPointF last_;
  bool moved_ = false;
  bool optionPress_ = false;
};

// Posts `name` with the control as its object.
void postAboutControl(const char* name, QObject* control);

class AmModeButton : public QAbstractButton {
  Q_OBJECT
 public:
  enum class Kind { Push, Switch, Radio };
  explicit AmModeButton(Kind kind, QWidget* parent = nullptr);
  Kind kind() const { return kind_; }
  // 1: files may be dropped on it (its entry has a drop program); 0: drops are refused.
  void setTag(int tag) { tag_ = tag; }
  int tag() const { return tag_; }
  void setTextAlignment(Qt::Alignment a) { align_ = a; update(); }
  Qt::Alignment textAlignment() const { return align_; }
  void setBordered(bool on) { bordered_ = on; update(); }
  bool isBordered() const { return bordered_; }
  void setRounded(bool on) { rounded_ = on; update(); }
  bool isRounded() const { return rounded_; }
  // The attributed title of "cal_setAmModeButtonTitle_X".
  void setTitleFont(const QFont& font) { titleFont_ = font; update(); }
  void setTitleColour(const QColor& colour) { titleColour_ = colour; update(); }
  QColor titleColour() const { return titleColour_; }
  std::optional<QFont> titleFont() const { return titleFont_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  Kind kind_;
  int tag_ = 0;
  Qt::Alignment align_ = Qt::AlignCenter;
  bool bordered_ = true;
  bool rounded_ = false;
  std::optional<QFont> titleFont_;
  QColor titleColour_;
  AmModeMoveTracker tracker_;
};

class AmModeTextField : public QLineEdit {
  Q_OBJECT
 public:
  explicit AmModeTextField(QWidget* parent = nullptr);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  AmModeMoveTracker tracker_;
};

// A slider of double values: the integer steps of the Qt slider are spread over
// minimum..maximum, and the value a program sets is the value it reads back.
class AmModeSlider : public QSlider {
  Q_OBJECT
 public:
  static constexpr int kSteps = 10000;
  static constexpr int kMostTickMarks = 1000;
  explicit AmModeSlider(QWidget* parent = nullptr);
  double minimumValue() const { return min_; }
  double maximumValue() const { return max_; }
  double doubleValue() const { return value_; }
  void setMinimumValue(double v);
  void setMaximumValue(double v);
  void setDoubleValue(double v);
  // The whole part of (maximum - minimum + 1); none below 2 or past kMostTickMarks.
  void updateTickMarks();
  int tickMarks() const { return tickMarks_; }

 signals:
  // The user let go of the knob (or clicked the track): the control's program runs.
  void released();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void showValue();
  double min_ = 0, max_ = 0, value_ = 0;
  int tickMarks_ = 0;
  bool showing_ = false;
  AmModeMoveTracker tracker_;
};

class AmModeImageView : public QLabel {
  Q_OBJECT
 public:
  explicit AmModeImageView(QWidget* parent = nullptr);
  void setImage(const QImage& image) { image_ = image; update(); }
  const QImage& image() const { return image_; }
  // 0 proportional, 1 to fit, 2 none (zoom and pan).
  void setScaling(int scaling) { scaling_ = scaling; update(); }
  int scaling() const { return scaling_; }
  // The codes of the definition's image alignment and frame style.
  void setImageAlignment(int code) { align_ = code; update(); }
  int imageAlignment() const { return align_; }
  void setFrameStyleCode(int code);
  int frameStyleCode() const { return frameStyle_; }
  void setMagnification(double m) { magnification_ = m; update(); }
  double magnification() const { return magnification_; }
  QPointF panOffset() const { return pan_; }
  void resetPositionInImageView() { pan_ = {}; update(); }
  // What part of the image a view of `view` shows with scaling "None": the centre of the
  // image at magnification m, moved by the pan offset (in view pixels).
  static QRectF zoomSourceRect(QSizeF image, QSizeF view, double m, QPointF pan);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage image_;
  int scaling_ = 0;
  int align_ = 0;
  int frameStyle_ = 0;
  double magnification_ = 1.0;
  QPointF pan_;
  AmModeMoveTracker tracker_;
};

}  // namespace pravella
