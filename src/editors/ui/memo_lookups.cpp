#include "editors/ui/memo_lookups.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>

#include "diary/memo_database.h"
#include "diary/memo_database_search.h"
#include "editors/function_manual.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/ui/sound_player.h"

namespace {

// The count and the bar follow the hits at most once a frame: a repaint per hit would take
// seconds for thousands of hits.
constexpr qint64 kFrameMs = 16;

void post(const char* name, const QString& text, const QStringList& strings = {}) {
  pravella::NotificationCenter::defaultCenter().post(QString::fromLatin1(name), text, strings);
}

}  // namespace

MemoLookups::MemoLookups(QTextEdit* view, QProgressBar* progressBar, QLabel* searchHitCountField,
                         QObject* parent)
    : QObject(parent), view_(view), progressBar_(progressBar), searchHitCountField_(searchHitCountField) {
  manualMenu_ = new QMenu(view);
  manualMenu_->setObjectName(QStringLiteral("manualMenu"));
  playSound_ = [](const char* name) { pravella::playSound(QString::fromLatin1(name)); };
  presentMenu_ = [](QMenu* menu, const QPoint& at) { menu->popup(at); };
}

MemoLookups::~MemoLookups() { pravella::NotificationCenter::defaultCenter().removeObservers(this); }

void MemoLookups::awakeFromNib() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QString::fromLatin1(pravella::kLoadMemoDatabase), this,
                     [this](pravella::Notification&) { loadMemoDatabase(); });
  center.addObserver(QStringLiteral("findAllMemoDatabase_X"), this,
                     [this](pravella::Notification& n) { findMemoDatabaseToMonthSheet_X(n.text); });
  loadMemoDatabase();
}

void MemoLookups::sound(const char* name) {
  if (pvSoundStatus != 0 && playSound_) playSound_(name);
}

void MemoLookups::alert(const QString& title, const QString& message) {
  if (alertPanel_) return alertPanel_(title, message);
  QMessageBox::warning(view_ ? view_->window() : nullptr, title, message);
}

void MemoLookups::loadMemoDatabase() { pravella::loadMemoDatabase(); }

void MemoLookups::clearManualFunctionMenu() {
  const QList<QAction*> items = manualMenu_->actions();
  for (qsizetype i = items.size() - 1; i >= 0; --i) {
    manualMenu_->removeAction(items[i]);
    items[i]->deleteLater();
  }
}

bool MemoLookups::searchDatabase(const QString& find, bool fromNotification) {
  if (find.size() <= 1) {
    sound("Basso");
    if (fromNotification)
      alert(QStringLiteral("Too Short String !"), QStringLiteral("Sorry, I can not accept your request"));
    return false;
  }
  NowFindString_ = find;
  sound("Pop");
  const QString& database = pravella::memoDataBaseString;
  if (progressBar_) {
    progressBar_->setRange(0, std::max(1, static_cast<int>(std::min<qsizetype>(database.size(), INT_MAX))));
    progressBar_->setValue(0);
  }
  if (searchHitCountField_) {
    searchHitCountField_->setText(QStringLiteral("0"));
    searchHitCountField_->repaint();
  }
  QElapsedTimer frame;
  frame.start();
  qint64 shownAt = -kFrameMs;
  const pravella::MemoDatabaseHits hits =
      pravella::searchMemoDatabase(database, find, [&](int count, qsizetype location) {
        if (frame.elapsed() - shownAt < kFrameMs) return;
        shownAt = frame.elapsed();
        if (searchHitCountField_) {
          searchHitCountField_->setText(QString::number(count));
          searchHitCountField_->repaint();
        }
        if (progressBar_) {
          progressBar_->setValue(static_cast<int>(std::min<qsizetype>(location, INT_MAX)));
          progressBar_->repaint();
        }
      });
  if (searchHitCountField_) {
    searchHitCountField_->setText(QString::number(hits.count));
    searchHitCountField_->repaint();
  }
  if (progressBar_) progressBar_->setValue(0);
  hitMemo_ = hits.paths;
  return true;
}

int MemoLookups::findMemoDatabase(const QPoint& globalPos, const QString& find) {
  if (!searchDatabase(find, false)) return 0;
  clearManualFunctionMenu();
  if (hitMemo_.isEmpty()) {
    alert(QStringLiteral("There are no Hit Items!"), QStringLiteral("Sorry"));
    return 0;
  }
  if (hitMemo_.size() > kMenuHits) {
    post("resultFromTextViewSearch", QString(), QStringList{NowFindString_} + hitMemo_);
    return 1;
  }
  auto add = [this](const QString& title, int tag, bool action) {
    QAction* item = manualMenu_->addAction(title);
    item->setData(tag);
    item->setEnabled(true);
    if (action) connect(item, &QAction::triggered, this, [this, tag] { showMemoFileOnMemoSheet(tag); });
  };
  add(QStringLiteral("All to MonthSheet"), 0, true);
  add(QStringLiteral("-----------------"), 1, false);
  for (int i = 0; i < hitMemo_.size(); ++i) {
    const QString name = hitMemo_[i].section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    add(dot > 0 ? name.left(dot) : name, 2 + i, true);
  }
  if (presentMenu_) presentMenu_(manualMenu_, globalPos);
  return 1;
}

int MemoLookups::findMemoDatabaseToMonthSheet_X(const QString& find) {
  if (!searchDatabase(find, true)) return 0;
  if (hitMemo_.isEmpty()) {
    alert(QStringLiteral("There are no Hit Items!"), QStringLiteral("Sorry"));
    return 0;
  }
  post("resultFromTextViewSearch", QString(), QStringList{NowFindString_} + hitMemo_);
  return 1;
}

void MemoLookups::showMemoFileOnMemoSheet(int tag) {
  if (tag <= 1) {
    post("resultFromTextViewSearch", QString(), QStringList{NowFindString_} + hitMemo_);
    return;
  }
  const QString path = hitMemo_.value(tag - 2);
  // A record without a path opens nothing.
  if (!path.isEmpty()) post("openDocumentOnMemo", path);
}

void MemoLookups::fillManualMenu(const QStringList& lines, bool forInsertion) {
  clearManualFunctionMenu();
  for (const QString& line : lines) {
    const QString title = pravella::titleWithoutExtension(line);
    QAction* item = manualMenu_->addAction(title);
    item->setEnabled(true);
    connect(item, &QAction::triggered, this, [this, title, forInsertion] {
      if (forInsertion)
        insertFunction(title);
      else
        dispManualFunction(title);
    });
  }
}

int MemoLookups::searchFunctionName(const QPoint& globalPos, const QString& find) {
  const std::optional<QStringList> list = pravella::readFunctionNameList();
  if (!list) return 0;
  fillManualMenu(pravella::matchFunctionNames(*list, find), true);
  if (!manualMenu_->actions().isEmpty() && presentMenu_) presentMenu_(manualMenu_, globalPos);
  return 1;
}

int MemoLookups::optionSearchFunctionName(const QPoint& globalPos, const QString& find) {
  const std::optional<QStringList> list = pravella::readFunctionNameList();
  if (!list) return 0;
  fillManualMenu(pravella::matchFunctionNames(*list, find), false);
  const QList<QAction*> items = manualMenu_->actions();
  if (items.size() == 1) {
    dispManualFunction(items.first()->text());
  } else if (items.size() > 1) {
    if (presentMenu_) presentMenu_(manualMenu_, globalPos);
  } else if (findMemoDatabase(globalPos, find) == 0) {
    sound("Basso");
  }
  return 1;
}

void MemoLookups::insertFunction(const QString& title) {
  if (!view_) return;
  view_->textCursor().insertText(title);
  sound("Tink");
}

void MemoLookups::dispManualFunction(const QString& title) {
  const QString name = pravella::manualFunctionName(title);
  if (name.isEmpty()) return;
  const QString notification = QStringLiteral("optionSearchManual");
  if (!pravella::NotificationCenter::defaultCenter().hasObservers(notification)) {
    showErrMessageToConsole(("No manual browser shows [" + name + "].\n").toStdString());
    return;
  }
  post("optionSearchManual", name);
}
