#pragma once
// "Mail Settings…" of the Tools menu: the account the mail sheet sends through (host, sender,
// port, security, user and password). OK checks the values and writes them; a value that
// cannot be used is said in an alert and the dialog stays open.

#include <QDialog>

#include "net/mail/mail_settings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class MailSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit MailSettingsDialog(QWidget* parent = nullptr);

  void setSettings(const pravella::mail::MailSettings& settings);
  pravella::mail::MailSettings settings() const;

  // Shows the dialog with the stored settings and writes what the user confirms; `reason`,
  // when given, stands above the fields to say why the dialog came. True when written.
  static bool editMailSettings(QWidget* parent, const QString& reason = {});

  // The line above the fields that says why the dialog came; hidden when empty.
  void setReason(const QString& reason);
  QLabel* reasonLine() const { return reason_; }

  QLineEdit* hostField() const { return host_; }
  QLineEdit* senderField() const { return sender_; }
  QSpinBox* portField() const { return port_; }
  QComboBox* securityField() const { return security_; }
  QLineEdit* userField() const { return user_; }
  QLineEdit* passwordField() const { return password_; }

  void accept() override;

 private:
  QLabel* reason_;
  QLineEdit* host_;
  QLineEdit* sender_;
  QSpinBox* port_;
  QComboBox* security_;
  QLineEdit* user_;
  QLineEdit* password_;
};
