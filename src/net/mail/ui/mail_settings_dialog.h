#pragma once
// "Mail Settings…" of the Tools menu: the account the mail sheet sends through (host, sender,
// port, security, user and password). OK checks the values and writes them; a value that
// cannot be used is said in an alert and the dialog stays open.

#include <QDialog>

#include "net/mail/mail_settings.h"

class QComboBox;
class QLineEdit;
class QSpinBox;

class MailSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit MailSettingsDialog(QWidget* parent = nullptr);

  void setSettings(const pravella::mail::MailSettings& settings);
  pravella::mail::MailSettings settings() const;

  // Shows the dialog with the stored settings and writes what the user confirms.
  static void editMailSettings(QWidget* parent);

  QLineEdit* hostField() const { return host_; }
  QLineEdit* senderField() const { return sender_; }
  QSpinBox* portField() const { return port_; }
  QComboBox* securityField() const { return security_; }
  QLineEdit* userField() const { return user_; }
  QLineEdit* passwordField() const { return password_; }

  void accept() override;

 private:
  QLineEdit* host_;
  QLineEdit* sender_;
  QSpinBox* port_;
  QComboBox* security_;
  QLineEdit* user_;
  QLineEdit* password_;
};
