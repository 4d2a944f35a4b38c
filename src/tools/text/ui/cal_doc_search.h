#pragma once
// CalDocSearch: find, replace, replace-all, highlight-all and the line-end clean-ups in one of
// the document views: the memo sheet's view or the finder's text view when it has the focus,
// else the main memo. Driven by its panel and by twelve cal_ notifications, so that a program
// can set the texts, read them back and run every operation. Feedback is by sound only. Its
// panel is the search sheet of the main window (side view 4), opened with the main memo's
// selection as the find text.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QDockWidget;
class QLineEdit;
class QProgressBar;
class QTextEdit;
class QWidget;

class CalDocSearch : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleStatus = 4;

  struct Host {
    std::function<QWidget*()> focusWidget;       // the main window's first responder
    std::function<void(const char*)> playSound;  // decides whether sounds are on
    std::function<void()> markEdited;            // the main window's edited mark
    // The month diary drawer, whose search field takes the place of the find field while open.
    std::function<bool()> monthDrawerOpen;
    std::function<QString()> monthSearchText;
    // The side views of the main window (none of them: the panel is a window of its own).
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<void(QDockWidget*)> addSideView;
  };

  CalDocSearch(QTextEdit* documentField, QWidget* calendarWindow, Host host, QObject* parent = nullptr);
  ~CalDocSearch() override;

  void setMemoTextView(QTextEdit* view) { memoTextView_ = view; }
  void setFinderTextView(QTextEdit* view) { finderTextView_ = view; }

  void awakeFromNib();  // registers the twelve observers and the sheet's two
  void showPanel();
  // The search sheet: the main memo's selection becomes the find text and the replacement
  // count starts again; `toggle` closes an open sheet instead. Nothing while no side view may
  // open.
  void openSearchSheetAction(bool toggle);
  bool isSheetOpen() const;

  void goSearchAction();
  void backSearchAction();
  void replaceAndNextAction();
  void replaceAllAction();
  void changeCRLFtoLFAction();
  void changeReturnAction();
  void deleteDoubleReturnAction();
  void deleteTripleReturnAction();
  void setFindStringForControl(const QString& text);
  void setReplaceStringForControl(const QString& text);
  void findStringFromDocAction();
  void replaceStringFromDocAction();
  void findOnByDocSelectedString();
  // Highlights every occurrence of `text` in the target; an empty text only clears.
  void findByDocSelectedString(const QString& text);
  // The replace-all engine: false when refused (nothing changed).
  bool replaceAllFrom(const QString& find, const QString& replacement, QTextEdit* view);

  // The view the operations act on now.
  QTextEdit* targetView() const;

  QWidget* panel() const { return panel_; }
  QDockWidget* searchToggleView() const { return sheet_; }
  QLineEdit* findStringField() const { return findStringField_; }
  QLineEdit* replaceStringField() const { return replaceStringField_; }
  QLineEdit* numOfReplacedField() const { return numOfReplacedField_; }
  QProgressBar* progressBar() const { return progressBar_; }

 private:
  void buildPanel(QWidget* parent);
  QString findText() const;
  void sound(const char* name);
  void edited(QTextEdit* view);
  void selectAndShow(QTextEdit* view, qsizetype at, qsizetype length);
  void caretTo(QTextEdit* view, qsizetype at);
  void lineEndPasses(std::initializer_list<std::pair<const char*, const char*>> passes);

  QPointer<QTextEdit> documentField_;
  QPointer<QTextEdit> memoTextView_;
  QPointer<QTextEdit> finderTextView_;
  Host host_;
  QDockWidget* sheet_ = nullptr;  // holds the panel when the main window takes side views
  QWidget* panel_ = nullptr;
  QLineEdit* findStringField_ = nullptr;
  QLineEdit* replaceStringField_ = nullptr;
  QLineEdit* numOfReplacedField_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
};
