#pragma once
// The memo options controller: the memo sheet of the main window (its history with back and
// forward buttons, its title line and changed mark, and which file it shows: the history's
// entry, or the scratch memo Preferences/tempMemo.rtfd when it shows none), the Format menu
// (fonts, the colour cycle, date stamps, indents) for the memo views, the User menu that
// programs fill with scripts, and the commands through which programs read and change the
// main document ("cal_getAllDocument" ...).
//
// One instance, made at start-up and held by the calendar controller; programs reach it by
// notifications, which it observes on the GUI thread.

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "editors/memo_sheet_history.h"
#include "platform/atomic_file.h"

class Calcndar;
class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QTextEdit;

namespace pravella {
class DocumentSlot;
class EditJournal;
class MainWindow;
class MemoSheetDrawer;
struct Notification;
}  // namespace pravella

class CalOption : public QObject {
  Q_OBJECT
 public:
  // Registers itself with the calendar controller, which must outlive it.
  CalOption(pravella::MainWindow* window, Calcndar* calendar, QObject* parent = nullptr);
  ~CalOption() override;

  // The observers, the Format and User menus, the memo views' keys.
  void awakeFromNib();

  // ---- the memo sheet (cal_option_memo_sheet.cpp)
  // Reads the scratch memo into the sheet (start-up).
  void loadScratchMemo();
  // Records a document that is being opened on the sheet (the sheet is saved first).
  void addRireki(const QString& path);
  // Saves the sheet, then shows the file there and records it in the history. False, with the
  // sheet as it was, when the sheet cannot be saved or the file does not read.
  bool openDocumentOnMemoSheet(const QString& path);
  void nextRireki();
  void beforeRireki();
  // Writes the sheet where its content belongs when it holds changes. False when that write
  // failed: the changed mark stays, "Basso" plays and the console says why.
  bool saveDocAction();
  // Writes the sheet to `path`, following a chain of symbolic links to its end (the user
  // chooses what to keep when the file changed since the sheet read it).
  bool saveWithSymbolicLink(const QString& path);
  // The shown history entry; empty when the sheet shows its scratch memo.
  QString nowMemoPath() const { return rireki_.nowPath(); }
  // Where the sheet's content is saved: nowMemoPath, or the scratch memo.
  QString memoSheetFile() const;
  static QString scratchMemoPath();
  void setFileNameToTitle(const QString& path);
  QString titleLine() const { return titleLine_; }
  // Saves, then empties the sheet, which then holds scratch text.
  void clearMemoSheet();
  // "cal_memoAllClear": saves, then the template in place of the sheet's text.
  void memoAllClearAction();
  void closeMemoSheet();
  void toggleDurtyButton();
  void textDidChange();
  const pravella::MemoSheetHistory& history() const { return rireki_; }

  // ---- Format menu (cal_option_format.cpp)
  void changeColorAction();
  int nowColor() const { return nowColor_; }
  void pasteDateAction();  // into the main memo
  void pasteDateTimeAction();
  void pasteDateAction_X();  // into the memo sheet
  void pasteDateTimeAction_X();
  void monacoAction();
  void monaco12PointAction();
  void hiraginoAction();
  void hiragino12PointAction();
  void stdDocumentAction();
  int stdDocFontSize() const { return stdDocFontSize_; }
  void incIndentForDocument_X(QTextEdit* view);
  void decIndentForDocument_X(QTextEdit* view);
  void DoAutoIndent(QTextEdit* view);
  void clearBackgroundColorAttribute(QTextEdit* view);
  QString autoIndentString() const { return autoIndentString_; }
  // The text views that the font commands, colours and stamps serve; the main memo and the
  // memo sheet are registered at start, other windows add theirs.
  void registerTextView(QTextEdit* view);
  // The registered view with the keyboard focus in the main window, or null.
  QTextEdit* focusedTextView() const;

  // ---- User menu (cal_option_format.cpp)
  void addUserMenuItem(const QString& payload);
  void addUserMenuItem2(const QString& payload);
  void clearUserMenu();
  void userMenuAction(const QString& title);
  QMenu* userMenu() const { return userMenu_; }
  QMenu* formatMenu() const { return formatMenu_; }
  const QStringList& menuItemScript() const { return menuItemScript_; }

  // ---- seams for tests
  void setSoundPlayer(std::function<void(const char*)> play) { playSound_ = std::move(play); }
  void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
  // The open panel of "cal_getFilePath" / "cal_getFolderPath": the chosen path or empty.
  using PathPanel = std::function<QString(const QString& title, const QString& folder, bool folders)>;
  void setPathPanel(PathPanel panel) { pathPanel_ = std::move(panel); }
  // Opens a file with the desktop's application for it (an attachment double-clicked on the
  // memo sheet).
  void setOpener(std::function<bool(const QString& path)> opener) { opener_ = std::move(opener); }
  // Opens the attachment at `position` of the memo sheet, a file inside the shown document;
  // false when there is none there or its file does not exist.
  bool openAttachmentAt(int position);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void registerObservers();
  void registerDocumentCommands();  // cal_option_documents.cpp
  void buildFormatMenu();
  void adjustRireki();
  // Replaces the sheet's content with the file's; false when it does not read.
  bool loadIntoSheet(const QString& path);
  pravella::WriteResult writeSheet(const QString& path);
  // The sheet's content is scratch text from now on (what it saves goes to the scratch memo).
  void showsScratchText();
  // The shown document went to the Trash by another view: its unsaved edits go to the recovery
  // folder and the sheet shows its scratch memo again, so nothing writes the document back.
  void letGoOfTrashedDocument();
  void showSteppedEntry(const QString& path);
  void setDurty(bool on);
  bool readsAsRichText(const QString& path) const;
  void fontCommand(const QString& name, int size, bool black);
  void stepIndent(QTextEdit* view, bool right);
  void afterFontCommand(QTextEdit* view);
  QAction* findKeyUser(const QKeySequence& keys) const;
  void sound(const char* name);
  QTextEdit* documentField() const;
  QTextEdit* memoField() const;

  pravella::MainWindow* window_;
  QPointer<Calcndar> calendar_;
  QPointer<pravella::MemoSheetDrawer> sheet_;
  QMenu* userMenu_ = nullptr;
  QMenu* formatMenu_ = nullptr;
  std::vector<QPointer<QTextEdit>> textViews_;

  QStringList menuItemScript_;  // flat: title, script, title, script ...
  int stdDocFontSize_ = 12;
  pravella::MemoSheetHistory rireki_;
  int nowColor_ = 0;
  QString autoIndentString_;
  QString titleLine_;
  bool loading_ = false;            // the sheet's content is being replaced, not edited
  bool scratchUnreadable_ = false;  // tempMemo.rtfd did not read: kept aside before a save
  bool awake_ = false;
  std::unique_ptr<pravella::DocumentSlot> sheetSlot_;  // the sheet's file in the registry
  std::unique_ptr<pravella::EditJournal> sheetJournal_;  // its unsaved edits, kept against a crash

  std::function<void(const char*)> playSound_;
  std::function<QDateTime()> clock_;
  PathPanel pathPanel_;
  std::function<bool(const QString&)> opener_;
};
