// The shared dialogs: the folder a folder panel chose (a path typed in full leaves the panel
// with the folders its beginnings name selected as well, "/", "/tmp", and the folder typed is
// the one meant), and the answer a question gives when the user leaves it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>

#include "platform/ui/dialogs.h"

namespace {

using pravella::dialogs::chosenFolderOf;

TEST(FolderPanel, TheFolderTypedInFullIsChosenOverTheOnesOnItsWay) {
  const struct {
    QStringList selected;
    QString chosen;
  } cases[] = {
      {{"/home/u/kept"}, "/home/u/kept"},
      {{"/", "/home", "/home/u", "/home/u/kept"}, "/home/u/kept"},
      {{"/home/u", "/home/u/kept", "/", "/home"}, "/home/u/kept"},
      {{"/home/u/kept", "/home/u/keeper"}, "/home/u/kept"},  // no chain: the first, as selected
      {{"/home/u/ke", "/home/u/kept"}, "/home/u/ke"},        // a name's beginning is no folder above it
      {{}, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(chosenFolderOf(c.selected), c.chosen) << c.selected.join(",").toStdString();
}

// Every question the application asks, as it asks it: Escape, the window's close button and
// a question closed from outside give the answer that changes nothing, wherever it stands.
TEST(Questions, LeavingOneGivesTheAnswerThatChangesNothing) {
  namespace d = pravella::dialogs;
  const struct {
    const char* question;
    QString buttons[3];
    int safeAsked;  // what the application names, d::kCancelAnswers when nothing
    int safe;
  } questions[] = {
      {"Delete (day list, finder, Delete Marked, modules, FTP)",
       {"Cancel", "", "Delete"},
       d::kCancelAnswers,
       d::kDefault},
      {"Duplicate folder", {"Cancel", "", "Duplicate"}, d::kCancelAnswers, d::kDefault},
      {"Replace (save panel, FTP Get)", {"Cancel", "Replace", ""}, d::kCancelAnswers, d::kDefault},
      {"Download the directory", {"Cancel", "", "Download"}, d::kCancelAnswers, d::kDefault},
      {"FTP folder: Keep Both", {"Cancel", "Keep Both", "Replace"}, d::kCancelAnswers, d::kDefault},
      {"Quit", {"Quit", "Cancel", "Save"}, d::kCancelAnswers, d::kAlternate},
      {"Close to Quit", {"Close", "Cancel", "Save"}, d::kCancelAnswers, d::kAlternate},
      {"Recovered Edit", {"Open", "Later", "Move\u2026"}, d::kAlternate, d::kAlternate},
      {"a message", {"OK", "", ""}, d::kCancelAnswers, d::kDefault},
  };
  const std::pair<const char*, std::function<void(QMessageBox*)>> ways[] = {
      {"Escape", [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }},
      {"close button", [](QMessageBox* box) { box->close(); }},
      {"closed from outside", [](QMessageBox* box) { box->reject(); }},
  };
  for (const auto& q : questions) {
    for (const auto& way : ways) {
      QTimer::singleShot(0, [&way] {
        QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); });
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) way.second(box);
      });
      EXPECT_EQ(d::alert(nullptr, q.question, "?", q.buttons[0], q.buttons[1], q.buttons[2], q.safeAsked),
                q.safe)
          << q.question << " / " << way.first;
    }
  }
}

}  // namespace
