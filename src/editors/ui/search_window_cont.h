#pragma once
// The search window: a small top-level window beside the main window that sends one text to
// one search tool, chosen by tag: 0 the internet search, 1 the memo-database and diary search,
// 2 the month list's search of the month, 3 the electronic dictionary, 4 the marks of the open
// document. Opening it copies the selection of the focused text view into its field.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QWidget;

class SearchWindowCont : public QObject {
  Q_OBJECT
 public:
  explicit SearchWindowCont(QWidget* mainWindow, QObject* parent = nullptr);
  ~SearchWindowCont() override;

  // Builds the window and stands it 5 px right of the main window, tops level.
  void awakeFromNib();
  // The text views whose selection the window copies (main memo, memo sheet, row memo view,
  // and the tools' views as they come).
  void registerTextView(QTextEdit* view);
  // Copies the focused view's selection into the field (when there is one) and shows the window.
  void openSearchWindow();
  // Sends the field's text to the tool of the selected tag, then closes the window.
  void goSearchAction();

  QWidget* searchWindow() const { return searchWindow_; }
  QButtonGroup* searchType() const { return searchType_; }
  QLineEdit* textField() const { return textField_; }

  // Tag 4: marks every occurrence in the open document (the find-and-replace tool's).
  void setFindByDocSelectedString(std::function<void(const QString&)> find) { findByDoc_ = std::move(find); }
  // Tag 0 while no internet tool observes its search: opens the text in the browser.
  void setUrlLauncher(std::function<void(const QString&)> launch) { launchURL_ = std::move(launch); }

 private:
  QPointer<QWidget> mainWindow_;
  QWidget* searchWindow_ = nullptr;
  QButtonGroup* searchType_ = nullptr;
  QLineEdit* textField_ = nullptr;
  std::vector<QPointer<QTextEdit>> textViews_;
  std::function<void(const QString&)> findByDoc_;
  std::function<void(const QString&)> launchURL_;
};
