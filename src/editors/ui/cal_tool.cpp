#include "editors/ui/cal_tool.h"

#include <QDockWidget>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QMainWindow>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>

#include "diary/diary_globals.h"
#include "editors/am_mode_definition.h"
#include "editors/ui/am_mode_controls.h"
#include "editors/ui/menu_script.h"
#include "lang/builtins/command_bridge.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"

using pravella::AmModeButton;
using pravella::AmModeImageView;
using pravella::AmModeSlider;
using pravella::AmModeTextField;
namespace ammode = pravella::ammode;

namespace {

void postProgram(const QString& program, const QWidget* window) {
  mainWindowRef = window;
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("calculationOnEditModule"), program);
}

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::optional<QString> fromUtf8(const std::optional<std::string>& s) {
  if (!s) return std::nullopt;
  return fromUtf8(*s);
}

Qt::Alignment textAlignment(const std::string& word) {
  switch (ammode::textAlign(word)) {
    case ammode::TextAlign::Left: return Qt::AlignLeft;
    case ammode::TextAlign::Right: return Qt::AlignRight;
    case ammode::TextAlign::Justified: return Qt::AlignJustify;
    case ammode::TextAlign::Natural: return Qt::AlignLeading;
    case ammode::TextAlign::Centre: break;
  }
  return Qt::AlignHCenter;
}

}  // namespace

CalTool::CalTool(const pravella::DeskToolHost& host, QObject* parent) : QObject(parent), host_(host) {
  drawer_ = new QDockWidget(tr("Tools"), host_.mainWindow);
  drawer_->setObjectName(QStringLiteral("toolDrawer"));
  toolView_ = new QWidget(drawer_);
  toolView_->setObjectName(QStringLiteral("toolView"));
  toolView_->setMinimumSize(240, 320);
  drawer_->setWidget(toolView_);
  for (int tag = 0; tag < 10; ++tag) {
    auto* b = new QPushButton(QString::number(tag + 1), toolView_);
    b->setObjectName(QStringLiteral("toolMenuButton%1").arg(tag));
    b->setGeometry(8 + (tag % 5) * 46, 8 + (tag / 5) * 28, 44, 24);
    connect(b, &QPushButton::clicked, this, [this, tag] { toolMenuButtonsAction(tag); });
    menuButtons_[static_cast<std::size_t>(tag)] = b;
  }
  textView_ = new QTextEdit(toolView_);
  textView_->setObjectName(QStringLiteral("AmModeTextView"));
  toolView_->installEventFilter(this);
  if (host_.addSideView) {
    host_.addSideView(drawer_);
  } else {
    drawer_->hide();
  }
  layoutToolView();
}

CalTool::~CalTool() { pravella::NotificationCenter::defaultCenter().removeObservers(this); }

void CalTool::awakeFromNib() { registerObservers(); }

bool CalTool::eventFilter(QObject* watched, QEvent* event) {
  if (watched == toolView_ && event->type() == QEvent::Resize) layoutToolView();
  return QObject::eventFilter(watched, event);
}

// The box keeps its place below the script buttons; the text view takes the rest below it.
void CalTool::addSystemControls(QWidget* strip) {
  systemStrip_ = strip;
  strip->setParent(toolView_);
  strip->show();
  toolView_->setMinimumHeight(320 + strip->sizeHint().height());
  layoutToolView();
}

void CalTool::layoutToolView() {
  int height = toolView_->height();
  if (systemStrip_) {
    const int stripHeight = systemStrip_->sizeHint().height();
    systemStrip_->setGeometry(8, std::max(0, height - stripHeight - 4), std::max(0, toolView_->width() - 16), stripHeight);
    height -= stripHeight + 4;
  }
  const int top = static_cast<int>(kOrgYPosition) + (box_ ? qRound(boxHeight_) + 10 : 0);
  const int width = boxWidth_ >= 40 ? qRound(boxWidth_) : toolView_->width() - 16;
  textView_->setGeometry(8, top, std::max(0, width), std::max(0, height - top - 8));
  if (box_) box_->move(static_cast<int>(kOrgXPosition), static_cast<int>(kOrgYPosition));
}

void CalTool::registerObservers() {
  using pravella::Notification;
  auto& center = pravella::NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  auto controlOf = [](const Notification& n) { return qobject_cast<QWidget*>(n.object); };
  // A panel is built on the GUI thread; its InitProg is posted from the thread of the program
  // that asked for the panel (whose command is still in progress), so that it runs inside that
  // program. Built for no program, the InitProg is posted at once.
  on("buildAmModeObject", [this](Notification& n) {
    buildPanel(n.text);
    if (!pv_calc) postPendingProgram();
  });
  on("buildAmModeObjectWithPath", [this](Notification& n) { buildAmModeObjectWithPath(n.text); });
  for (const char* name : {"buildAmModeObjectWithPath", "cal_buildAmModeObject"}) {
    center.addObserver(QString::fromLatin1(name), this, [this](Notification&) { postPendingProgram(); },
                       pravella::Delivery::PostingThread);
  }
  on("AmModeButtonProgAction", [this, controlOf](Notification& n) { buttonProgAction(controlOf(n)); });
  on("executeDropProg", [this, controlOf](Notification& n) { executeDropProg(controlOf(n)); });
  on("findButtonPositionInSource",
     [this, controlOf](Notification& n) { findButtonPositionInSource(controlOf(n)); });
  on("findAndMoveButtonInSource", [this, controlOf](Notification& n) { findAndMoveButtonInSource(controlOf(n)); });
  on("cal_openAmModeSheet", [this](Notification&) { openAmModeSheet(); });
  on("cal_closeAmModeSheet", [this](Notification&) { closeAmModeSheet(); });
  on("cal_toggleAmModeSheet", [this](Notification&) { toggleAmModeSheet(); });
  registerControlCommands();
  registerDocumentCommands();
}

// ---- the drawer

bool CalTool::isOpen() const { return drawer_ && !drawer_->isHidden(); }

void CalTool::openAmModeSheet() {
  if (SheetCanOpen.load() == 0 || !drawer_) return;
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->show();
  drawer_->raise();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleStatus);
}

void CalTool::closeAmModeSheet() {
  if (host_.closeAllToggleView) {
    host_.closeAllToggleView();
  } else if (drawer_) {
    drawer_->hide();
  }
}

void CalTool::toggleAmModeSheet() {
  if (isOpen()) {
    closeAmModeSheet();
  } else {
    openAmModeSheet();
  }
}

// ---- building

void CalTool::clearButtons() { buttons_.clear(); }

void CalTool::makeBox(const QString& title, double width, double height) {
  if (box_) {
    box_->hide();
    box_->deleteLater();
  }
  boxWidth_ = width;
  boxHeight_ = height;
  box_ = new QGroupBox(toolView_);
  box_->setObjectName(QStringLiteral("AmModeBoxNew"));
  if (!title.isEmpty()) box_->setTitle(title);
  box_->setGeometry(static_cast<int>(kOrgXPosition), static_cast<int>(kOrgYPosition), qRound(width),
                    qRound(height));
  toolView_->setMinimumSize(std::max(240, qRound(width) + 16), std::max(320, qRound(height) + 150));
}

void CalTool::addControl(const ammode::ControlDescription& d) {
  Entry entry;
  entry.name = fromUtf8(d.name);
  entry.prog = fromUtf8(d.prog);
  entry.drop = fromUtf8(d.drop);
  QWidget* control = nullptr;
  switch (d.type) {
    case ammode::ControlType::PushButton:
    case ammode::ControlType::Switch:
    case ammode::ControlType::Radio: {
      const auto kind = d.type == ammode::ControlType::Switch  ? AmModeButton::Kind::Switch
                        : d.type == ammode::ControlType::Radio ? AmModeButton::Kind::Radio
                                                               : AmModeButton::Kind::Push;
      auto* b = new AmModeButton(kind, box_);
      b->setText(fromUtf8(d.title));
      if (kind == AmModeButton::Kind::Push) {
        b->setTextAlignment(textAlignment(d.align));
        b->setRounded(d.style == "Rounded");
        b->setBordered(d.border != "No");
      } else {
        b->setBordered(false);
      }
      b->setTag(entry.drop ? 1 : 0);
      connect(b, &QAbstractButton::clicked, this, [this, b] { buttonProgAction(b); });
      control = b;
      break;
    }
    case ammode::ControlType::TextField: {
      auto* f = new AmModeTextField(box_);
      f->setText(fromUtf8(d.title));
      f->setAlignment(textAlignment(d.align) | Qt::AlignVCenter);
      f->setReadOnly(d.style == "NoEditable");
      if (d.border == "No") {
        f->setFrame(false);
        f->setStyleSheet(QStringLiteral("background: transparent;"));
      }
      connect(f, &QLineEdit::returnPressed, this, [this, f] { buttonProgAction(f); });
      control = f;
      break;
    }
    case ammode::ControlType::ImageView: {
      auto* v = new AmModeImageView(box_);
      v->setImageAlignment(ammode::imageAlign(d.align));
      v->setFrameStyleCode(ammode::imageFrameStyle(d.style));
      v->setScaling(ammode::imageScaling(d.scaling));
      control = v;
      break;
    }
    case ammode::ControlType::Slider: {
      auto* s = new AmModeSlider(box_);
      if (d.frame[3] > d.frame[2]) s->setOrientation(Qt::Vertical);
      s->setMinimumValue(d.value[0]);
      s->setMaximumValue(d.value[2]);
      s->setDoubleValue(d.value[1]);
      connect(s, &AmModeSlider::released, this, [this, s] { buttonProgAction(s); });
      control = s;
      break;
    }
  }
  control->setObjectName(entry.name);
  control->setGeometry(qRound(d.frame[0]), qRound(d.frame[1]), qRound(d.frame[2]), qRound(d.frame[3]));
  control->show();
  entry.control = control;
  buttons_.push_back(std::move(entry));
}

void CalTool::setPendingProgram(const std::optional<QString>& program, const QWidget* window) {
  std::lock_guard lock(pendingMutex_);
  pendingProgram_ = program;
  pendingWindow_ = window;
}

void CalTool::postPendingProgram() {
  std::optional<QString> program;
  const void* window = nullptr;
  {
    std::lock_guard lock(pendingMutex_);
    program.swap(pendingProgram_);
    window = pendingWindow_;
  }
  if (!program) return;
  mainWindowRef = window;
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("calculationOnEditModule"), *program);
}

void CalTool::buildAmModeObject(const QString& text) {
  buildPanel(text);
  postPendingProgram();
}

void CalTool::buildPanel(const QString& text) {
  setPendingProgram(std::nullopt, nullptr);
  const QByteArray bytes = text.toUtf8();
  const std::optional<ammode::Definition> d =
      ammode::readDefinition(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!d) return;
  clearButtons();
  openAmModeSheet();
  makeBox(fromUtf8(d->boxTitle), d->boxWidth, d->boxHeight);
  for (const ammode::ControlDescription& c : d->controls) addControl(c);
  box_->show();
  layoutToolView();
  toolView_->update();
  if (d->initProg) setPendingProgram(fromUtf8(*d->initProg), toolView_->window());
}

void CalTool::buildAmModeObjectWithPath(const QString& name) {
  const QString path = pravella::paths::commandScripts() + QLatin1Char('/') + name;
  if (!QFileInfo::exists(path)) return;
  bool ok = false;
  const QString text = pravella::plainTextOfRichTextFile(path, &ok);
  if (ok) buildPanel(text);
}

// ---- the table

const CalTool::Entry* CalTool::entryNamed(const QString& name) const {
  for (const Entry& e : buttons_)
    if (e.name == name) return &e;
  return nullptr;
}

const CalTool::Entry* CalTool::entryOf(const QWidget* control) const {
  if (!control) return nullptr;
  for (const Entry& e : buttons_)
    if (e.control == control) return &e;
  return nullptr;
}

CalTool::Entry* CalTool::entryFor(const QWidget* control) { return const_cast<Entry*>(entryOf(control)); }

QWidget* CalTool::control(const QString& name) const {
  const Entry* e = entryNamed(name);
  return e ? e->control.data() : nullptr;
}

// ---- programs

void CalTool::buttonProgAction(QWidget* control) {
  const Entry* e = entryOf(control);
  if (!e || !e->prog) return;
  postProgram(*e->prog, control->window());
}

void CalTool::executeDropProg(QWidget* control) {
  const Entry* e = entryOf(control);
  if (!e || !e->drop) return;
  postProgram(*e->drop, control->window());
}

void CalTool::toolMenuButtonsAction(int tag) {
  if (tag < 0 || tag >= 10) return;
  const QString& script = menuScripts_[static_cast<std::size_t>(tag)];
  if (script.size() < 2) return;
  pravella::runMenuScript(script, toolView_->window());
}

// ---- editing the definition in the main memo

void CalTool::findButtonPositionInSource(QWidget* control) {
  const Entry* e = entryOf(control);
  QTextEdit* doc = host_.documentView;
  if (!e || !doc) return;
  const auto block = ammode::findControlBlock(doc->toPlainText(), e->name);
  if (!block) return;
  QTextCursor c(doc->document());
  c.setPosition(block->buttonStart);
  doc->setTextCursor(c);
  doc->ensureCursorVisible();
}

void CalTool::findAndMoveButtonInSource(QWidget* control) {
  const Entry* e = entryOf(control);
  QTextEdit* doc = host_.documentView;
  if (!e || !doc || !control) return;
  const QString text = doc->toPlainText();
  const auto block = ammode::findControlBlock(text, e->name);
  if (!block) return;
  const QRect g = control->geometry();
  const ammode::FrameEdit edit = ammode::frameLineEdit(text, *block, g.x(), g.y(), g.width(), g.height());
  QTextCursor c(doc->document());
  c.beginEditBlock();
  c.setPosition(edit.start);
  c.setPosition(edit.start + edit.length, QTextCursor::KeepAnchor);
  c.insertText(edit.replacement);
  c.endEditBlock();
  c.setPosition(edit.start);
  doc->setTextCursor(c);
  doc->ensureCursorVisible();
  if (host_.mainWindow) host_.mainWindow->setWindowModified(true);
}
