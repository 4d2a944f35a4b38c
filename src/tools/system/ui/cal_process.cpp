#include "tools/system/ui/cal_process.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QProgressBar>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include "platform/child_processes.h"
#include "platform/notification_center.h"
#include "platform/paths.h"

CalProcess::CalProcess(QMainWindow* window, QObject* parent) : QObject(parent), window_(window) {
  auto* box = new QGroupBox(tr("Load"));
  controls_ = box;
  auto bar = [box](const QString& name) {
    auto* b = new QProgressBar(box);
    b->setObjectName(name);
    b->setRange(0, 100);
    b->setValue(0);
    b->setTextVisible(false);
    b->setMaximumHeight(10);
    return b;
  };
  cpuBar_ = bar(QStringLiteral("CPUBar"));
  memoryBar_ = bar(QStringLiteral("MemoryBar"));
  auto* layout = new QVBoxLayout(box);
  for (auto [label, b] : {std::pair{tr("CPU"), cpuBar_}, std::pair{tr("Memory"), memoryBar_}}) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(label, box));
    row->addWidget(b, 1);
    layout->addLayout(row);
  }
  connect(&timer_, &QTimer::timeout, this, [this] { CPUMemoryProcess(); });
}

CalProcess::~CalProcess() { pravella::NotificationCenter::defaultCenter().removeObservers(this); }

void CalProcess::awakeFromNib() {
  history_ = {};
  dispStatus_ = -1;
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("cal_changeCPUMonitor"), this,
                     [this](pravella::Notification& n) { changeDispStatus(n.text); });
  center.addObserver(QStringLiteral("cal_showCPUStatusBar"), this, [this](pravella::Notification&) { setStatusBarforCPU(); });
}

void CalProcess::setStatusBarforCPU() {
  // One item and one timer, however often it is asked for.
  if (dispStatus_ >= 0) return;
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    tray_ = new QSystemTrayIcon(this);
    tray_->show();
  } else if (window_) {
    statusLabel_ = new QLabel(window_);
    statusLabel_->setObjectName(QStringLiteral("cpuStatusPicture"));
    window_->statusBar()->addPermanentWidget(statusLabel_);
  }
  timer_.start(2000);
  dispStatus_ = 0;
  takeSample(QString());  // the flat picture of the zeroed history until the first sample
}

void CalProcess::changeDispStatus(const QString& mode) {
  if (dispStatus_ < 0) return;
  bool ok = false;
  const int m = mode.trimmed().toInt(&ok);
  if (ok && m >= 0) dispStatus_ = m;
}

void CalProcess::CPUMemoryProcess() {
  if (sampleRunning_) return;  // a slow listing is not overtaken by the next
  pravella::ChildRequest request;
  request.kind = pravella::ChildKind::Ps;
  request.program = QStringLiteral("ps");
  request.arguments = {QStringLiteral("-eo"), QStringLiteral("pcpu=,pmem=")};
  if (QFileInfo(pravella::paths::vkData()).isDir()) request.workingFolder = pravella::paths::vkData();
  sampleRunning_ = pravella::startChild(request, this, [this](const pravella::ChildResult& r) {
    sampleRunning_ = false;
    if (r.exitCode == 0) takeSample(QString::fromUtf8(r.output));
  });
}

void CalProcess::takeSample(const QString& psOutput) {
  const pravella::monitor::Load load = pravella::monitor::parsePsOutput(psOutput);
  if (!psOutput.isEmpty()) history_.push(load);
  cpuBar_->setValue(static_cast<int>(std::min(100.0, load.cpu)));
  memoryBar_->setValue(static_cast<int>(std::min(100.0, load.memory)));
  // Modes above 1 keep the picture as it was last drawn.
  const QImage picture = pravella::monitor::statusPicture(dispStatus_, history_, load);
  if (picture.isNull()) return;
  picture_ = picture;
  if (tray_) tray_->setIcon(QIcon(QPixmap::fromImage(picture_)));
  if (statusLabel_) statusLabel_->setPixmap(QPixmap::fromImage(picture_));
}
