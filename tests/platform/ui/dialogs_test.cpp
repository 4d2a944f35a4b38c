// The folder a folder panel chose: a path typed in full leaves the panel with the folders its
// beginnings name selected as well ("/", "/tmp"), and the folder typed is the one meant.

#include <gtest/gtest.h>

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

}  // namespace
