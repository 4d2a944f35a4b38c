#pragma once
// The tool drawer of the main window (side view 19) and the user control panel in it: ten
// script buttons, a text view of its own (the AmMode document) and the panel box, built from a
// tagged definition. CalTool keeps every control with its programs, runs a control's program
// when it is used or when files are dropped on it, answers the commands through which programs
// read and set the controls, and rewrites a control's "<Frame>" line in the main memo when the
// user moves it with Alt held.
//
// One instance, made at start-up; programs reach it by notifications, observed on the GUI
// thread.

#include <QDockWidget>
#include <QGroupBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <mutex>
#include <optional>
#include <vector>

#include "tools/ui/desk_tool_host.h"

class QPushButton;
class QTextEdit;
class QWidget;

namespace pravella {
struct Notification;
namespace ammode {
struct Definition;
struct ControlDescription;
}
}  // namespace pravella

class CalTool : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleStatus = 19;
  static constexpr double kOrgXPosition = 8.0;
  static constexpr double kOrgYPosition = 70.0;

  struct Entry {
    QString name;
    QPointer<QWidget> control;
    std::optional<QString> prog;
    std::optional<QString> drop;
    double magnification = 1.0;
  };

  explicit CalTool(const pravella::DeskToolHost& host, QObject* parent = nullptr);
  ~CalTool() override;

  // The observers.
  void awakeFromNib();

  // Reads a definition; a text without "<AmMode>" ... "</AmMode>" changes nothing. Its
  // InitProg runs after the build.
  void buildAmModeObject(const QString& text);
  // A definition file in the Command folder (rich text or plain).
  void buildAmModeObjectWithPath(const QString& name);

  void openAmModeSheet();
  void closeAmModeSheet();
  void toggleAmModeSheet();
  bool isOpen() const;

  // Runs the program of the first entry of `control` that has one.
  void buttonProgAction(QWidget* control);
  void executeDropProg(QWidget* control);
  void toolMenuButtonsAction(int tag);
  // Alt-click and the end of an Alt-drag: the control's block in the main memo.
  void findButtonPositionInSource(QWidget* control);
  void findAndMoveButtonInSource(QWidget* control);

  // The first entry of the name, or of the control; null when none.
  const Entry* entryNamed(const QString& name) const;
  const Entry* entryOf(const QWidget* control) const;
  QWidget* control(const QString& name) const;
  const std::vector<Entry>& entries() const { return buttons_; }

  // Other tools' controls at the foot of the drawer, below the text view.
  void addSystemControls(QWidget* strip);

  QDockWidget* toolDrawer() const { return drawer_; }
  QWidget* toolView() const { return toolView_; }
  QGroupBox* amModeBox() const { return box_; }
  QTextEdit* amModeTextView() const { return textView_; }
  QPushButton* toolMenuButton(int tag) const { return menuButtons_.at(static_cast<std::size_t>(tag)); }
  const QString& menuScriptFileName(int tag) const { return menuScripts_.at(static_cast<std::size_t>(tag)); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void registerObservers();
  void registerControlCommands();  // cal_tool_commands.cpp
  void registerDocumentCommands();  // cal_tool_commands.cpp
  void clearButtons();
  // Builds the panel; its InitProg waits in pendingProgram_.
  void buildPanel(const QString& text);
  // A program to run once the GUI work of a notification is done. It is posted by an observer
  // that runs on the posting thread, so that a program which builds a panel or runs a control
  // has the program run inside itself instead of having it refused as a second run.
  void setPendingProgram(const std::optional<QString>& program, const QWidget* window);
  void postPendingProgram();
  void makeBox(const QString& title, double width, double height);
  void addControl(const pravella::ammode::ControlDescription& description);
  void layoutToolView();
  Entry* entryFor(const QWidget* control);
  // "Can not find Button" style failures: the message, then the command fails.
  static void fail(const char* message);
  // The control of the name, or the failure with `notFound`.
  QWidget* controlOrFail(const QString& name, const char* notFound) const;

  pravella::DeskToolHost host_;
  QPointer<QDockWidget> drawer_;
  QWidget* toolView_ = nullptr;
  QTextEdit* textView_ = nullptr;
  QPointer<QWidget> systemStrip_;
  QPointer<QGroupBox> box_;
  double boxWidth_ = 0;
  double boxHeight_ = 0;
  std::array<QPushButton*, 10> menuButtons_{};
  std::array<QString, 10> menuScripts_;
  std::vector<Entry> buttons_;
  std::mutex pendingMutex_;
  std::optional<QString> pendingProgram_;
  const void* pendingWindow_ = nullptr;
  QPointer<QWidget> runHighlight_;  // at most ammode::kMaxControls, filled without gaps
};
