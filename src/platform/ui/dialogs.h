#pragma once
// The dialogs every window uses: alerts and the folder, file and save panels. Windows ask
// through these functions; tests put a scripted double in place of the real panels, which
// answers from a queue and records what was asked.

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <vector>

class QWidget;

namespace pravella::dialogs {

// Answers of an alert, as confirmations count them.
constexpr int kDefault = 1;     // the first button
constexpr int kAlternate = 0;   // the second
constexpr int kOther = -1;      // the third
// No answer: asks for the rule below, the button titled "Cancel" wherever it stands, else the
// first, as the answer Escape gives.
constexpr int kCancelAnswers = 2;

class Handler {
 public:
  virtual ~Handler() = default;
  // An empty button title leaves its place without a button. Escape, the close button and a
  // dialog closed from outside give `safeAnswer`, the one answer that changes nothing: by
  // default the button titled "Cancel", wherever it stands; without one, the first button. A
  // question without Cancel names its own ("Later").
  virtual int alert(QWidget* parent, const QString& title, const QString& message,
                    const QString& defaultButton, const QString& alternateButton, const QString& otherButton,
                    int safeAnswer) = 0;
  // The chosen path, or empty when cancelled.
  virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& startFolder) = 0;
  virtual QString chooseFile(QWidget* parent, const QString& title, const QString& startFolder) = 0;
  virtual QString chooseSaveFile(QWidget* parent, const QString& title, const QString& startFolder,
                                 const QString& name) = 0;
};

// The folder a folder panel chose, of the paths it gives as selected.
QString chosenFolderOf(const QStringList& selected);

// Replaces the real panels (an empty pointer brings them back).
void setHandler(std::shared_ptr<Handler> handler);

int alert(QWidget* parent, const QString& title, const QString& message,
          const QString& defaultButton = QStringLiteral("OK"), const QString& alternateButton = {},
          const QString& otherButton = {}, int safeAnswer = kCancelAnswers);
QString chooseFolder(QWidget* parent, const QString& title, const QString& startFolder);
QString chooseFile(QWidget* parent, const QString& title, const QString& startFolder);
QString chooseSaveFile(QWidget* parent, const QString& title, const QString& startFolder, const QString& name);

// The test double: alerts answer from `alertAnswers` (kDefault when empty), panels from
// `paths` (cancelled when empty). Every question is recorded as "title: message" or
// "title: start folder"; `safeAnswers` records what Escape would have given, one per alert.
class Scripted : public Handler {
 public:
  std::deque<int> alertAnswers;
  std::deque<QString> paths;
  QStringList asked;
  std::vector<int> safeAnswers;

  int alert(QWidget*, const QString& title, const QString& message, const QString&, const QString&,
            const QString&, int safeAnswer) override;
  QString chooseFolder(QWidget*, const QString& title, const QString& startFolder) override;
  QString chooseFile(QWidget*, const QString& title, const QString& startFolder) override;
  QString chooseSaveFile(QWidget*, const QString& title, const QString& startFolder, const QString&) override;

 private:
  QString nextPath(const QString& title, const QString& startFolder);
};

}  // namespace pravella::dialogs
