#include "net/mail/ui/mail_settings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "platform/ui/dialogs.h"

namespace mail = pravella::mail;

MailSettingsDialog::MailSettingsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("mailSettings"));
  setWindowTitle(tr("Mail Settings"));
  auto* form = new QFormLayout(this);
  reason_ = new QLabel;
  reason_->setObjectName(QStringLiteral("mailSettingsReason"));
  reason_->setTextFormat(Qt::PlainText);
  reason_->setWordWrap(true);
  reason_->hide();
  form->addRow(reason_);
  host_ = new QLineEdit;
  host_->setPlaceholderText(QStringLiteral("smtp.example.org"));
  sender_ = new QLineEdit;
  sender_->setPlaceholderText(tr("Name <address@example.org>"));
  port_ = new QSpinBox;
  port_->setRange(0, 65535);
  port_->setSpecialValueText(tr("usual"));
  security_ = new QComboBox;
  // In the order of the Security values.
  security_->addItems({tr("None"), QStringLiteral("STARTTLS"), QStringLiteral("TLS")});
  user_ = new QLineEdit;
  password_ = new QLineEdit;
  password_->setEchoMode(QLineEdit::Password);
  form->addRow(tr("Server:"), host_);
  form->addRow(tr("Sender:"), sender_);
  form->addRow(tr("Port:"), port_);
  form->addRow(tr("Security:"), security_);
  form->addRow(tr("User:"), user_);
  form->addRow(tr("Password:"), password_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &MailSettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &MailSettingsDialog::reject);
  form->addRow(buttons);
}

void MailSettingsDialog::setSettings(const mail::MailSettings& s) {
  host_->setText(s.host);
  sender_->setText(s.sender);
  port_->setValue(s.port);
  security_->setCurrentIndex(int(s.security));
  user_->setText(s.user);
  password_->setText(s.password);
}

mail::MailSettings MailSettingsDialog::settings() const {
  mail::MailSettings s;
  s.host = host_->text().trimmed();
  s.sender = sender_->text().trimmed();
  s.port = port_->value();
  s.security = mail::Security(security_->currentIndex());
  s.user = user_->text();
  s.password = password_->text();
  return s;
}

void MailSettingsDialog::accept() {
  const mail::MailSettings s = settings();
  if (const QString problem = mail::settingsProblem(s); !problem.isEmpty()) {
    pravella::dialogs::alert(this, tr("Mail Settings"), problem);
    return;
  }
  if (const pravella::WriteResult written = mail::writeMailSettings(s); !written) {
    pravella::dialogs::alert(this, tr("Mail Settings"), written.error);
    return;
  }
  QDialog::accept();
}

void MailSettingsDialog::setReason(const QString& reason) {
  reason_->setText(reason);
  reason_->setVisible(!reason.isEmpty());
}

bool MailSettingsDialog::editMailSettings(QWidget* parent, const QString& reason) {
  MailSettingsDialog dialog(parent);
  dialog.setReason(reason);
  dialog.setSettings(mail::readMailSettings());
  return dialog.exec() == QDialog::Accepted;
}
