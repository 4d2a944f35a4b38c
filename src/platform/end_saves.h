#pragma once
// What the end of the application still has to save, and whether an edit was lost on the way.
// The end's last limit (end_signals.h) runs on a thread of its own while a save may hang on the
// GUI thread: it reads from here what it can name as not saved. An edit that could be kept
// nowhere (neither where it belongs nor in any recovery folder) makes the process's exit
// status other than 0.

#include <QString>
#include <QStringList>
#include <string>

namespace pravella {

// The end is about to save these, named as the user knows them; each is done in turn.
void beginEndSaves(const QStringList& names);
void endSaveDone(const QString& name);
// What is not saved yet, joined with ", "; empty when nothing is left. Any thread.
std::string endSavesLeft();
// The end has begun to save (beginEndSaves was called since the last forgetEndSaves). Any thread.
bool endSavesBegun();
// No end has begun: a new watch of the end starts.
void forgetEndSaves();

// The edit of `document` was lost (no folder took it), or is kept after all (saved later, or
// in a recovery folder).
void noteLostEdit(const QString& document);
void noteEditKept(const QString& document);
// Some edit is lost for good.
bool editsWereLost();

}  // namespace pravella
