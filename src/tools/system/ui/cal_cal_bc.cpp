#include "tools/system/ui/cal_cal_bc.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <memory>

#include "platform/atomic_file.h"
#include "platform/child_processes.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "tools/system/bc_answer.h"

namespace {

QString workFile() { return pravella::paths::vkData() + QStringLiteral("/tempCalc.txt"); }

}  // namespace

CalCalBC::CalCalBC(QTextEdit* memoView, QObject* parent) : QObject(parent), memoView_(memoView) {
  auto* box = new QGroupBox(tr("Calculate"));
  controls_ = box;
  auto* calc = new QPushButton(tr("Calc"), box);
  auto* bc = new QPushButton(tr("bc"), box);
  bc->setObjectName(QStringLiteral("bcButton"));
  auto* row = new QHBoxLayout(box);
  row->addWidget(calc);
  row->addWidget(bc);
  connect(calc, &QPushButton::clicked, this, [this] { CalBCAction(); });
  connect(bc, &QPushButton::clicked, this, [this] { CalBCMemoAction(); });
}

CalCalBC::~CalCalBC() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  pravella::terminateChildren(pravella::ChildKind::Bc);
}

void CalCalBC::awakeFromNib() {
  pravella::NotificationCenter::defaultCenter().addObserver(QStringLiteral("cal_calculate"), this,
                                                            [this](pravella::Notification&) { CalBCAction(); });
}

void CalCalBC::CalBCAction() { pravella::NotificationCenter::defaultCenter().post(QStringLiteral("calculationOfCalcButton")); }

bool CalCalBC::CalBCMemoAction() {
  if (!memoView_ || running_) return false;
  const QTextCursor selection = memoView_->textCursor();
  if (!selection.hasSelection()) return false;
  QDir().mkpath(pravella::paths::vkData());
  if (!pravella::writeFileAtomically(workFile(), pravella::bc::script(selection.selectedText()).toUtf8())) return false;
  behind_ = QTextCursor(memoView_->document());
  behind_.setPosition(selection.selectionEnd());
  pravella::ChildRequest request;
  request.kind = pravella::ChildKind::Bc;
  request.program = QStringLiteral("bc");
  request.arguments = {QStringLiteral("-lq"), QStringLiteral("tempCalc.txt")};
  request.workingFolder = pravella::paths::vkData();
  auto late = std::make_shared<bool>(false);
  const bool started = pravella::startChild(request, this, [this, late](const pravella::ChildResult& r) {
    running_ = false;
    QFile::remove(workFile());
    QString out = QString::fromUtf8(r.output), err = QString::fromUtf8(r.errorOutput);
    if (*late && out.isEmpty()) err += tr("bc was stopped after %1 seconds.").arg(timeLimitMs_ / 1000.0);
    if (!memoView_ || behind_.isNull()) return;
    const QString answer = pravella::bc::answer(out, err);
    QTextCursor at = behind_;
    const int start = at.position();
    at.insertText(answer);
    // Selected from the answer's end back to its start, as typing would leave it.
    QTextCursor selected(memoView_->document());
    selected.setPosition(start);
    selected.setPosition(start + static_cast<int>(answer.size()), QTextCursor::KeepAnchor);
    memoView_->setTextCursor(selected);
    emit answered();
  });
  if (!started) {
    QFile::remove(workFile());
    showErrMessageToConsole("bc: it could not be started.\n");
    return false;
  }
  running_ = true;
  const int run = ++runs_;
  QTimer::singleShot(timeLimitMs_, this, [this, late, run] {
    if (!running_ || run != runs_) return;
    *late = true;
    pravella::terminateChildren(pravella::ChildKind::Bc);
  });
  return true;
}
