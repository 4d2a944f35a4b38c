#include "editors/ui/search_window_cont.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>

#include "editors/web_launch.h"
#include "platform/notification_center.h"
#include "platform/ui/selected_text.h"
#include "platform/ui/window_placement.h"

SearchWindowCont::SearchWindowCont(QWidget* mainWindow, QObject* parent)
    : QObject(parent), mainWindow_(mainWindow) {
  launchURL_ = [](const QString& text) { pravella::webLaunchURL(text.toUtf8().toStdString()); };
}

SearchWindowCont::~SearchWindowCont() { delete searchWindow_; }

void SearchWindowCont::awakeFromNib() {
  searchWindow_ = new QWidget(nullptr, Qt::Window);
  searchWindow_->setObjectName(QStringLiteral("searchWindow"));
  searchWindow_->setWindowTitle(tr("Search"));
  auto* layout = new QVBoxLayout(searchWindow_);
  textField_ = new QLineEdit(searchWindow_);
  textField_->setObjectName(QStringLiteral("textField"));
  layout->addWidget(textField_);
  searchType_ = new QButtonGroup(searchWindow_);
  searchType_->setObjectName(QStringLiteral("searchType"));
  auto* kinds = new QHBoxLayout;
  const QString titles[] = {tr("Internet"), tr("Memo Database"), tr("Month"), tr("Dictionary"),
                            tr("Document")};
  for (int tag = 0; tag < 5; ++tag) {
    auto* b = new QRadioButton(titles[tag], searchWindow_);
    b->setObjectName(QStringLiteral("searchType%1").arg(tag));
    searchType_->addButton(b, tag);
    kinds->addWidget(b);
  }
  searchType_->button(0)->setChecked(true);
  layout->addLayout(kinds);
  auto* go = new QPushButton(tr("Search"), searchWindow_);
  go->setObjectName(QStringLiteral("searchButton"));
  go->setDefault(true);
  layout->addWidget(go);
  connect(go, &QPushButton::clicked, this, [this] { goSearchAction(); });
  connect(textField_, &QLineEdit::returnPressed, this, [this] { goSearchAction(); });
  searchWindow_->adjustSize();
  pravella::placeBesideMainWindow(searchWindow_, mainWindow_);
}

void SearchWindowCont::registerTextView(QTextEdit* view) {
  if (view) textViews_.emplace_back(view);
}

void SearchWindowCont::openSearchWindow() {
  QWidget* focus = mainWindow_ ? mainWindow_->focusWidget() : nullptr;
  for (const QPointer<QTextEdit>& view : textViews_) {
    if (!view || focus != view) continue;
    const QString selected = pravella::selectedPlainText(view);
    if (!selected.isEmpty()) textField_->setText(selected);
    break;
  }
  searchWindow_->show();
  searchWindow_->raise();
  searchWindow_->activateWindow();
}

void SearchWindowCont::goSearchAction() {
  const QString text = textField_->text();
  const int tag = searchType_->checkedId();
  auto& center = pravella::NotificationCenter::defaultCenter();
  if (!text.isEmpty()) {
    switch (tag) {
      case 0:
        if (center.hasObservers(QStringLiteral("internetSearchOnsearch")))
          center.post(QStringLiteral("internetSearchOnsearch"), text);
        else if (launchURL_)
          launchURL_(text);
        break;
      case 1:
        center.post(QStringLiteral("findAllMemoDatabase"), text);
        break;
      case 2:
        center.post(QStringLiteral("goSearchWithString"), text);
        break;
      case 3:
        center.post(QStringLiteral("dictionarySearch"), text);
        break;
      case 4:
        if (findByDoc_) findByDoc_(text);
        break;
      default:
        break;
    }
  }
  searchWindow_->close();
}
