#pragma once
// CalProcess: the CPU monitor. Every 2 seconds, once started, "ps" lists the processes without
// holding the window; the sums of their CPU and memory percentages move two level bars and draw
// the small status picture (a graph of the last 100 samples, or two bars), shown in the
// desktop's tray when there is one, else in the main window's status bar.

#include <QObject>
#include <QTimer>

#include "tools/system/load_monitor.h"

class QLabel;
class QMainWindow;
class QProgressBar;
class QSystemTrayIcon;
class QWidget;

class CalProcess : public QObject {
  Q_OBJECT
 public:
  explicit CalProcess(QMainWindow* window, QObject* parent = nullptr);
  ~CalProcess() override;

  QWidget* controls() const { return controls_; }
  void awakeFromNib();

  void setStatusBarforCPU();
  void changeDispStatus(const QString& mode);
  void CPUMemoryProcess();
  // One sample from the text of "ps -eo pcpu=,pmem=".
  void takeSample(const QString& psOutput);

  int dispStatus() const { return dispStatus_; }
  QProgressBar* cpuBar() const { return cpuBar_; }
  QProgressBar* memoryBar() const { return memoryBar_; }
  const QImage& statusImage() const { return picture_; }
  bool sampling() const { return timer_.isActive(); }

 private:
  QMainWindow* window_;
  QWidget* controls_ = nullptr;
  QProgressBar* cpuBar_ = nullptr;
  QProgressBar* memoryBar_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  QLabel* statusLabel_ = nullptr;
  QTimer timer_;
  bool sampleRunning_ = false;
  pravella::monitor::History history_;
  QImage picture_;
  int dispStatus_ = -1;
};
