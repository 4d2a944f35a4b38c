#include "net/mail/ui/cal_mail.h"

#include <QComboBox>
#include <QDateTime>
#include <QDockWidget>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

#include "diary/diary_globals.h"
#include "net/mail/address_list.h"
#include "net/mail/mail_message.h"
#include "net/mail/mail_settings.h"
#include "net/mail/smtp_delivery.h"
#include "net/mail/ui/mail_settings_dialog.h"
#include "platform/console_log.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/selected_text.h"
#include "platform/ui/sound_player.h"

namespace mail = pravella::mail;

namespace {

// The body as the mail's text: paragraphs as line ends, pictures and other attachments left out.
QString plainBody(const QTextEdit* view) {
  QString text = view->toPlainText();
  text.remove(QChar::ObjectReplacementCharacter);
  return text;
}

}  // namespace

CalMail::CalMail(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) { buildDrawer(); }

CalMail::~CalMail() {
  // A send in flight finishes first: its thread must not outlive what it reports to.
  if (worker_) {
    worker_->wait();
    delete worker_;
  }
  delete drawer_;
}

void CalMail::buildDrawer() {
  drawer_ = new QDockWidget(tr("Mail"));
  drawer_->setObjectName(QStringLiteral("mailSheet"));
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  auto* form = new QFormLayout;
  mailTo_ = new QComboBox;
  mailTo_->setObjectName(QStringLiteral("mailToField"));
  mailTo_->setEditable(true);
  mailTo_->setInsertPolicy(QComboBox::NoInsert);
  connect(mailTo_, &QComboBox::activated, this, [this] { selectAddressAction(); });
  cc_ = new QLineEdit;
  bcc_ = new QLineEdit;
  subject_ = new QLineEdit;
  form->addRow(tr("To:"), mailTo_);
  form->addRow(tr("Cc:"), cc_);
  form->addRow(tr("Bcc:"), bcc_);
  form->addRow(tr("Subject:"), subject_);
  layout->addLayout(form);
  body_ = new QTextEdit;
  body_->setObjectName(QStringLiteral("mailTextField"));
  layout->addWidget(body_, 1);
  auto* buttons = new QHBoxLayout;
  const auto button = [this, buttons](const QString& title, void (CalMail::*action)()) {
    auto* b = new QPushButton(title);
    connect(b, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
    buttons->addWidget(b);
    return b;
  };
  button(tr("Copy Memo"), &CalMail::copyMemoAction);
  button(tr("Close"), &CalMail::closeAction);
  buttons->addStretch(1);
  send_ = button(tr("Send"), &CalMail::sendMailAction);
  layout->addLayout(buttons);
  drawer_->setWidget(body);
  drawer_->hide();
}

void CalMail::awakeFromNib() {
  addressArray_ = mail::readAddressList();
  reloadComboBox();
  if (host_.addSideView) host_.addSideView(drawer_);
}

QString CalMail::comboBoxObjectValueForItemAtIndex(int index) const {
  if (index < 0 || index >= addressArray_.size()) return QString();
  return addressArray_.at(addressArray_.size() - 1 - index);
}

void CalMail::reloadComboBox() {
  const QString typed = mailTo_->currentText();
  mailTo_->clear();
  for (int i = 0; i < numberOfItemsInComboBox(); ++i) mailTo_->addItem(comboBoxObjectValueForItemAtIndex(i));
  mailTo_->setEditText(typed);
}

void CalMail::addMenuActions(QMenu* menu) {
  QAction* sheet = menu->addAction(tr("M&ail"));
  sheet->setObjectName(QStringLiteral("mailSheetAction"));
  connect(sheet, &QAction::triggered, this, [this] { openMailSheetAction(); });
  QAction* settings = menu->addAction(tr("Mail Settings…"));
  settings->setObjectName(QStringLiteral("mailSettingsAction"));
  connect(settings, &QAction::triggered, this,
          [this] { MailSettingsDialog::editMailSettings(host_.dialogParent); });
}

void CalMail::openMailSheetAction() {
  if (SheetCanOpen.load() == 0) return;
  if (!mail::readMailSettings().configured()) {
    // Nothing to send through yet: the settings come first, the sheet once they are written.
    const bool written = MailSettingsDialog::editMailSettings(
        host_.dialogParent, tr("Mail needs an account to send through: fill in at least the server and the "
                               "sender, then the mail sheet opens."));
    if (!written || !mail::readMailSettings().configured()) return;
  }
  if (drawer_->isVisible()) {
    if (host_.closeAllToggleView) host_.closeAllToggleView();
    drawer_->hide();
    return;
  }
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->show();
  copyMemoAction();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
}

void CalMail::closeAction() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->hide();
}

void CalMail::copyMemoAction() {
  if (!host_.documentView) return;
  QString selected = pravella::selectedPlainText(host_.documentView);
  selected.remove(QChar::ObjectReplacementCharacter);
  if (!selected.isEmpty()) body_->textCursor().insertText(selected);
}

void CalMail::sendMailAction() {
  if (worker_) return;  // one send at a time; the button is off meanwhile
  const mail::MailFields fields{mailTo_->currentText(), cc_->text(), bcc_->text(), subject_->text()};
  if (const QString field = mail::fieldWithLineBreak(fields); !field.isEmpty())
    return failed(tr("The %1 field holds a line break; nothing was sent.").arg(field));
  const mail::MailSettings settings = mail::readMailSettings();
  if (!settings.configured()) return failed(tr("No mail account is set (Tools > Mail Settings…)."));
  if (const QString problem = mail::settingsProblem(settings); !problem.isEmpty())
    return failed(problem + tr(" (Tools > Mail Settings…)"));
  const QStringList recipients = mail::recipients(fields);
  if (recipients.isEmpty()) return failed(tr("There is no addressee."));
  const QByteArray message =
      mail::buildMimeMessage(settings.sender, fields, plainBody(body_), QDateTime::currentDateTime());

  auto result = std::make_shared<mail::DeliveryResult>();
  worker_ = QThread::create([settings, recipients, message, result] {
    *result = mail::deliverMessage(settings, recipients, message);
  });
  connect(worker_, &QThread::finished, this, [this, result, to = fields.to] {
    worker_->deleteLater();
    worker_ = nullptr;
    send_->setEnabled(true);
    if (!result->ok) return failed(result->error);
    // These sounds speak whatever the sound switch says.
    pravella::playSound(QStringLiteral("Ping"));
    // An empty To (a mail to blind copies only) leaves nothing worth offering again.
    if (!to.trimmed().isEmpty()) addAddress(to);
    pravella::dialogs::alert(host_.dialogParent, QStringLiteral("Mail delvery succeeded !"), QString(),
                             QStringLiteral("Ok"));
    emit deliveryFinished(true);
  });
  send_->setEnabled(false);
  worker_->start();
}

void CalMail::failed(const QString& reason) {
  pravella::playSound(QStringLiteral("Basso"));
  showErrMessageToConsole(("Mail not sent: " + reason + '\n').toStdString());
  pravella::dialogs::alert(host_.dialogParent, QStringLiteral("Mail delver failed !"),
                           QStringLiteral("Sorry !\n") + reason, QStringLiteral("Ok"));
  emit deliveryFinished(false);
}

void CalMail::addAddress(const QString& text) {
  addressArray_ = mail::withAddress(addressArray_, text);
  reloadComboBox();
  // The list is a convenience: a failed write costs only the remembered addressee.
  if (const pravella::WriteResult written = mail::writeAddressList(addressArray_); !written)
    showErrMessageToConsole((written.error + '\n').toStdString());
}
