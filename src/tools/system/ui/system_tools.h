#pragma once
// The system tools of the tool drawer: backup and synchronisation, the load bars and the
// calculate buttons, made once at start-up and laid out in one strip; and the document export.

#include <memory>

#include "tools/ui/desk_tool_host.h"

class CalCalBC;
class CalConvHTML;
class CalPrefBackup;
class CalProcess;
class QWidget;

class SystemTools {
 public:
  explicit SystemTools(const pravella::DeskToolHost& host);
  ~SystemTools();
  QWidget* strip() const { return strip_; }
  CalPrefBackup* backup() const { return backup_.get(); }
  CalProcess* monitor() const { return monitor_.get(); }
  CalCalBC* calculator() const { return calculator_.get(); }
  CalConvHTML* conversion() const { return conversion_.get(); }

 private:
  std::unique_ptr<CalPrefBackup> backup_;
  std::unique_ptr<CalProcess> monitor_;
  std::unique_ptr<CalCalBC> calculator_;
  std::unique_ptr<CalConvHTML> conversion_;
  QWidget* strip_ = nullptr;
};
