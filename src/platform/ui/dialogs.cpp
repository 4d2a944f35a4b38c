#include "platform/ui/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <mutex>

namespace pravella::dialogs {

namespace {

bool isCancel(QString title) {
  title.remove(QLatin1Char('&'));
  return title.compare(QLatin1String("Cancel"), Qt::CaseInsensitive) == 0;
}

// The place of the button that changes nothing: the one `safeAnswer` names, else the one titled
// "Cancel", else the first.
int safePlace(const QString (&titles)[3], int safeAnswer) {
  const int named = safeAnswer == kDefault ? 0 : safeAnswer == kAlternate ? 1 : safeAnswer == kOther ? 2 : -1;
  if (named >= 0 && !titles[named].isEmpty()) return named;
  for (int i = 0; i < 3; ++i)
    if (!titles[i].isEmpty() && isCancel(titles[i])) return i;
  return 0;
}

constexpr int kAnswers[3] = {kDefault, kAlternate, kOther};

class RealPanels : public Handler {
 public:
  int alert(QWidget* parent, const QString& title, const QString& message, const QString& defaultButton,
            const QString& alternateButton, const QString& otherButton, int safeAnswer) override {
    QMessageBox box(QMessageBox::Warning, title, message, QMessageBox::NoButton, parent);
    // Messages are often names from outside (a host, a remote file): never read them as markup.
    box.setTextFormat(Qt::PlainText);
    QAbstractButton* buttons[3] = {};
    const QString titles[3] = {defaultButton, alternateButton, otherButton};
    // Escape, the window's close button and a dialog closed from outside all give the answer
    // that changes nothing (a question may put Replace or Delete in any place).
    const int safe = safePlace(titles, safeAnswer);
    for (int i = 0; i < 3; ++i) {
      if (titles[i].isEmpty()) continue;
      buttons[i] =
          box.addButton(titles[i], isCancel(titles[i]) ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    }
    if (!buttons[0]) buttons[0] = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(static_cast<QPushButton*>(buttons[0]));
    box.setEscapeButton(buttons[safe]);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton() ? box.clickedButton() : buttons[safe];
    for (int i = 0; i < 3; ++i)
      if (buttons[i] && clicked == buttons[i]) return kAnswers[i];
    return kAnswers[safe];
  }
  QString chooseFolder(QWidget* parent, const QString& title, const QString& startFolder) override {
    QFileDialog panel(parent, title, startFolder);
    panel.setOption(QFileDialog::DontUseNativeDialog);
    panel.setFileMode(QFileDialog::Directory);
    if (panel.exec() != QDialog::Accepted) return QString();
    return chosenFolderOf(panel.selectedFiles());
  }
  QString chooseFile(QWidget* parent, const QString& title, const QString& startFolder) override {
    return QFileDialog::getOpenFileName(parent, title, startFolder, {}, nullptr, QFileDialog::DontUseNativeDialog);
  }
  QString chooseSaveFile(QWidget* parent, const QString& title, const QString& startFolder,
                         const QString& name) override {
    return QFileDialog::getSaveFileName(parent, title, startFolder + QLatin1Char('/') + name, {}, nullptr,
                                        QFileDialog::DontUseNativeDialog);
  }
};

std::mutex handlerMutex;
std::shared_ptr<Handler> current;

std::shared_ptr<Handler> handler() {
  const std::lock_guard lock(handlerMutex);
  if (!current) current = std::make_shared<RealPanels>();
  return current;
}

}  // namespace

QString chosenFolderOf(const QStringList& selected) {
  // As a path is typed, the panel selects every folder that a beginning of it names ("/",
  // "/home"): the folder typed in full, the one below all the others, is the one chosen.
  for (const QString& deepest : selected) {
    const bool belowAll = std::all_of(selected.begin(), selected.end(), [&](const QString& other) {
      return other == deepest || deepest.startsWith(other.endsWith(u'/') ? other : other + u'/');
    });
    if (belowAll) return deepest;
  }
  return selected.value(0);
}

void setHandler(std::shared_ptr<Handler> h) {
  const std::lock_guard lock(handlerMutex);
  current = std::move(h);
}

int alert(QWidget* parent, const QString& title, const QString& message, const QString& defaultButton,
          const QString& alternateButton, const QString& otherButton, int safeAnswer) {
  return handler()->alert(parent, title, message, defaultButton, alternateButton, otherButton, safeAnswer);
}

QString chooseFolder(QWidget* parent, const QString& title, const QString& startFolder) {
  return handler()->chooseFolder(parent, title, startFolder);
}

QString chooseFile(QWidget* parent, const QString& title, const QString& startFolder) {
  return handler()->chooseFile(parent, title, startFolder);
}

QString chooseSaveFile(QWidget* parent, const QString& title, const QString& startFolder, const QString& name) {
  return handler()->chooseSaveFile(parent, title, startFolder, name);
}

int Scripted::alert(QWidget*, const QString& title, const QString& message, const QString& defaultButton,
                    const QString& alternateButton, const QString& otherButton, int safeAnswer) {
  asked << title + QStringLiteral(": ") + message;
  const QString titles[3] = {defaultButton, alternateButton, otherButton};
  safeAnswers.push_back(kAnswers[safePlace(titles, safeAnswer)]);
  if (alertAnswers.empty()) return kDefault;
  const int answer = alertAnswers.front();
  alertAnswers.pop_front();
  return answer;
}

QString Scripted::nextPath(const QString& title, const QString& startFolder) {
  asked << title + QStringLiteral(": ") + startFolder;
  if (paths.empty()) return {};
  QString path = paths.front();
  paths.pop_front();
  return path;
}

QString Scripted::chooseFolder(QWidget*, const QString& title, const QString& startFolder) {
  return nextPath(title, startFolder);
}
QString Scripted::chooseFile(QWidget*, const QString& title, const QString& startFolder) {
  return nextPath(title, startFolder);
}
QString Scripted::chooseSaveFile(QWidget*, const QString& title, const QString& startFolder, const QString&) {
  return nextPath(title, startFolder);
}

}  // namespace pravella::dialogs
