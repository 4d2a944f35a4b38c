#include "tools/system/ui/system_tools.h"

#include <QVBoxLayout>
#include <QWidget>

#include "tools/system/ui/cal_cal_bc.h"
#include "tools/system/ui/cal_conv_html.h"
#include "tools/system/ui/cal_pref_backup.h"
#include "tools/system/ui/cal_process.h"

SystemTools::SystemTools(const pravella::DeskToolHost& host)
    : backup_(std::make_unique<CalPrefBackup>(host)),
      monitor_(std::make_unique<CalProcess>(host.mainWindow)),
      calculator_(std::make_unique<CalCalBC>(host.documentView)),
      conversion_(std::make_unique<CalConvHTML>(host)) {
  strip_ = new QWidget;
  strip_->setObjectName(QStringLiteral("systemTools"));
  auto* layout = new QVBoxLayout(strip_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(backup_->controls());
  layout->addWidget(monitor_->controls());
  layout->addWidget(calculator_->controls());
  backup_->awakeFromNib();
  monitor_->awakeFromNib();
  calculator_->awakeFromNib();
  conversion_->awakeFromNib();
}

SystemTools::~SystemTools() {
  // The strip may live in a drawer that outlives it; its controls go with the controllers.
  delete strip_;
}
