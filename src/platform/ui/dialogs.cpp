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

class RealPanels : public Handler {
 public:
  int alert(QWidget* parent, const QString& title, const QString& message, const QString& defaultButton,
            const QString& alternateButton, const QString& otherButton) override {
    QMessageBox box(QMessageBox::Warning, title, message, QMessageBox::NoButton, parent);
    // Messages are often names from outside (a host, a remote file): never read them as markup.
    box.setTextFormat(Qt::PlainText);
    QAbstractButton* buttons[3] = {};
    const QString titles[3] = {defaultButton, alternateButton, otherButton};
    // Escape, the window's close button and a dialog closed from outside all give the answer
    // that changes nothing: the Cancel button wherever it stands (a question may put Replace
    // or Delete in any place), else the only or first button.
    int safe = 0;
    for (int i = 0; i < 3; ++i) {
      if (titles[i].isEmpty()) continue;
      const bool cancels = isCancel(titles[i]);
      if (cancels) safe = i;
      buttons[i] = box.addButton(titles[i], cancels ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    }
    if (!buttons[0]) buttons[0] = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    if (!buttons[safe]) safe = 0;
    box.setDefaultButton(static_cast<QPushButton*>(buttons[0]));
    box.setEscapeButton(buttons[safe]);
    box.exec();
    static constexpr int kAnswers[3] = {kDefault, kAlternate, kOther};
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
          const QString& alternateButton, const QString& otherButton) {
  return handler()->alert(parent, title, message, defaultButton, alternateButton, otherButton);
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

int Scripted::alert(QWidget*, const QString& title, const QString& message, const QString&, const QString&,
                    const QString&) {
  asked << title + QStringLiteral(": ") + message;
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
