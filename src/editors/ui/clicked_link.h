#pragma once
// A click on a link of a memo: programs, dictionary entries, files and web pages. One behaviour
// for every memo view; each view's controller says whom it asks.

#include <QString>
#include <functional>

class QTextEdit;

namespace pravella {

struct LinkAskers {
  // The web drawer is open: addresses go to it ("openWebSheetAndConnectURL").
  std::function<bool()> webDrawerOpen;
  // A memo search for a document's name (the month list's search).
  std::function<void(const QString&)> searchMemos;
  // Opens a local file with the desktop's application for it.
  std::function<void(const QString& path)> openFile;
  // Opens a text in the browser as webLaunchURL does.
  std::function<void(const QString& text)> launchURL;
  std::function<void(const char*)> sound;
};

// Scheme of the values that are addresses; every other value is a plain text link.
bool isAddressLink(const QString& value);

// "%" and two hexadecimal digits become that byte of the UTF-8 text.
QString percentDecoded(const QString& value);

// Follows the clicked link value. Always true: every value is handled.
bool followClickedLink(const QString& value, const LinkAskers& askers);

// A single click (press and release on the same link, no selection made) on a link of the view
// calls `follow` with the link's value; the click also places the caret as usual.
void followLinksOnClick(QTextEdit* view, std::function<void(const QString& value)> follow);

}  // namespace pravella
