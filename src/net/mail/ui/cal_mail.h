#pragma once
// CalMail: the mail sheet (side view 7). Sends a memo text as a mail through the account of
// Preferences/mailSettings.plist: the selection of the main memo is copied into the body, the
// user fills in the addressees and the subject, and the send runs off the GUI thread; its
// alert comes when it ends. Addressees sent to are remembered, newest first in the combo box.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QDockWidget;
class QLineEdit;
class QMenu;
class QPushButton;
class QTextEdit;
class QThread;
class QWidget;

class CalMail : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 7;

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<void(QDockWidget*)> addSideView;
    QTextEdit* documentView = nullptr;  // the main memo, source of the body
    QWidget* dialogParent = nullptr;    // the calendar window: alerts stand on it
  };

  explicit CalMail(Host host, QObject* parent = nullptr);
  ~CalMail() override;

  // Reads the address list and gives the drawer to the host.
  void awakeFromNib();
  // "Mail" (the sheet) and "Mail Settings…" in `menu`.
  void addMenuActions(QMenu* menu);

  // Without an account to send through, opens the mail settings first, with a line that says
  // why, and the sheet once they are filled in.
  void openMailSheetAction();
  void closeAction();
  void copyMemoAction();
  void sendMailAction();
  void selectAddressAction() {}
  void addAddress(const QString& text);

  // The combo box's list: the address list newest first.
  int numberOfItemsInComboBox() const { return int(addressArray_.size()); }
  QString comboBoxObjectValueForItemAtIndex(int index) const;

  QDockWidget* mailSheetView() const { return drawer_; }
  QComboBox* mailToField() const { return mailTo_; }
  QLineEdit* CcField() const { return cc_; }
  QLineEdit* BccField() const { return bcc_; }
  QLineEdit* subjectField() const { return subject_; }
  QTextEdit* textField() const { return body_; }
  const QStringList& addressArray() const { return addressArray_; }
  bool sending() const { return worker_ != nullptr; }

 signals:
  // A send ended, after its sound, its alert and the address list.
  void deliveryFinished(bool ok);

 private:
  void buildDrawer();
  void reloadComboBox();
  void failed(const QString& reason);

  Host host_;
  QStringList addressArray_;
  QPointer<QDockWidget> drawer_;
  QComboBox* mailTo_ = nullptr;
  QLineEdit* cc_ = nullptr;
  QLineEdit* bcc_ = nullptr;
  QLineEdit* subject_ = nullptr;
  QTextEdit* body_ = nullptr;
  QPushButton* send_ = nullptr;
  QThread* worker_ = nullptr;
};
