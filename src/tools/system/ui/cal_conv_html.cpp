#include "tools/system/ui/cal_conv_html.h"

#include <QFileInfo>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>
#include <QThread>

#include "diary/day_documents.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "lang/builtins/command_bridge.h"
#include "lang/report.h"
#include "platform/child_processes.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/progress_bar.h"
#include "platform/ui/dialogs.h"
#include "tools/jpeg_file.h"
#include "tools/system/html_export.h"
#include "tools/text_converter.h"

using pravella::NotificationCenter;

CalConvHTML::CalConvHTML(pravella::DeskToolHost host, QObject* parent) : QObject(parent), host_(std::move(host)) {}

CalConvHTML::~CalConvHTML() {
  pravella::setConverterHost({});
  NotificationCenter::defaultCenter().removeObservers(this);
  if (worker_.joinable()) {
    // The application is going: the converter it waits for goes too, and its result with it.
    if (busy_) {
      pravella::terminateChildren(pravella::ChildKind::Converter);
      showProcessIndicator(0, 1, 0);
    }
    worker_.join();
  }
  delete menu_;
}

void CalConvHTML::awakeFromNib() {
  // The language's converter runs on the program's thread; the save belongs to this one.
  pravella::ConverterHost converter;
  converter.saveShownDocument = [self = QPointer<CalConvHTML>(this)] {
    bool saved = true;
    if (!self) return saved;
    if (QThread::currentThread() == self->thread())
      saved = self->saveShown();
    else
      QMetaObject::invokeMethod(self, [&saved, self] { saved = self ? self->saveShown() : true; },
                                Qt::BlockingQueuedConnection);
    return saved;
  };
  converter.playSound = [play = host_.playSound](const QString& name) {
    if (play) play(name.toLatin1().constData());
  };
  pravella::setConverterHost(std::move(converter));

  auto& center = NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("cal_makeHTML"), this, [this](pravella::Notification&) { convertToHTMLAction(false); });
  center.addObserver(QStringLiteral("cal_saveToSTJ"), this, [this](pravella::Notification& n) { saveJPEG2stj(n.text); });

  if (!host_.toolsMenu) return;
  menu_ = host_.toolsMenu->addMenu(tr("E&xport"));
  const std::pair<QString, void (CalConvHTML::*)()> items[] = {
      {tr("Text"), &CalConvHTML::convertToTextAction},
      {tr("RTF"), &CalConvHTML::convertToRtfAction},
      {tr("ODT"), &CalConvHTML::convertToOdtcAction},
      {tr("Word (docx)"), &CalConvHTML::convertToDocxAction},
      {tr("Word 97 (doc)"), &CalConvHTML::convertToDocAction},
      {tr("Word XML"), &CalConvHTML::convertToWordmlAction},
      {tr("Web Archive"), &CalConvHTML::convertToWebarchiveAction},
  };
  connect(menu_->addAction(tr("HTML to Web Sheet")), &QAction::triggered, this, [this] { convertToHTMLAction(); });
  for (const auto& [title, action] : items)
    connect(menu_->addAction(title), &QAction::triggered, this, [this, a = action] { (this->*a)(); });
}

void CalConvHTML::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

bool CalConvHTML::saveShown() { return !host_.save || host_.save(); }

void CalConvHTML::fail(const QString& reason, bool fromWindow) {
  showErrMessageToConsole(("Export: " + reason + "\n").toStdString());
  sound("Basso");
  if (fromWindow) pravella::dialogs::alert(host_.mainWindow, tr("Export"), reason);
}

void CalConvHTML::pingFromWorker() {
  QMetaObject::invokeMethod(
      this, [this] { sound("Ping"); }, Qt::QueuedConnection);
}

bool CalConvHTML::refuseWhileExporting() {
  if (!busy_) return false;
  // Two exports at once would write the same files; the first one's result is on its way.
  fail(tr("An export is running; try again when it has ended."), true);
  return true;
}

void CalConvHTML::say(const QString& message) {
  if (host_.mainWindow && host_.mainWindow->statusBar()) host_.mainWindow->statusBar()->showMessage(message);
}

void CalConvHTML::startExport(const QString& what, std::function<Outcome()> work,
                              std::function<void(const Outcome&)> done) {
  // Half way while the converter runs: it tells nothing finer. The indicator lives in the month
  // list's drawer, often closed: the status line is where the user looks.
  showProcessIndicator(0, 2, 1);
  say(tr("Exporting %1\u2026").arg(what));
  busy_ = true;
  done = [this, what, done = std::move(done)](const Outcome& outcome) {
    say(outcome.ok ? tr("Exported %1: %2").arg(what, outcome.page)
                   : tr("Export of %1 failed: %2").arg(what, outcome.reason));
    done(outcome);
  };
  worker_ = std::thread([this, work = std::move(work), done = std::move(done)] {
    const Outcome outcome = work();
    // Dropped unseen when this object goes first (its destructor waits for this thread).
    QMetaObject::invokeMethod(
        this,
        [this, outcome, done] {
          worker_.join();  // it has nothing left to do
          busy_ = false;
          showProcessIndicator(0, 1, 0);
          done(outcome);
          emit exportEnded();
        },
        Qt::QueuedConnection);
  });
}

void CalConvHTML::convertShown(const QString& format) {
  const QString shown = host_.nowDisplayedDocument ? host_.nowDisplayedDocument() : QString();
  if (shown.isEmpty()) return fail(tr("No document is shown."), true);
  convertToAction(format, shown);
}

bool CalConvHTML::convertToAction(const QString& format, const QString& path) {
  if (refuseWhileExporting()) return false;
  // A refused save has been reported by the calendar; converting the older text would mislead.
  if (!saveShown()) return false;
  startExport(
      QStringLiteral("\"%1\" as %2")
          .arg(pravella::documentDisplayName(QFileInfo(path).fileName()), format.toUpper()),
      [this, format, path] {
        const pravella::ConversionResult r =
            pravella::convertOntoDesktop(format, path, [this] { pingFromWorker(); });
        return Outcome{r.ok, r.reason, r.output};
      },
      [this](const Outcome& outcome) {
        if (!outcome.ok) fail(outcome.reason, true);
      });
  return true;
}

void CalConvHTML::convertToHTMLAction(bool fromWindow) {
  if (fromWindow && refuseWhileExporting()) return;
  if (!fromWindow && busy_) {
    // A program's export would write the folder the window's export is writing.
    showErrMessageToConsole("cal_makeHTML: an export is running; nothing was exported\n");
    sound("Basso");
    pravella::failCommand();
    return;
  }
  const QString shown = host_.nowDisplayedDocument ? host_.nowDisplayedDocument() : QString();
  if (shown.isEmpty()) return fail(tr("No document is shown."), fromWindow);
  if (!saveShown()) return;
  if (!fromWindow) {
    // The program waits for its page, as for any cal_ command it posts.
    const pravella::HtmlExportResult result = pravella::exportHtmlFolder(shown, [this] { sound("Ping"); });
    if (!result.ok) return fail(result.reason, false);
    return openConvertedIndexHTML(result.page);
  }
  startExport(
      QStringLiteral("\"%1\" as HTML").arg(pravella::documentDisplayName(QFileInfo(shown).fileName())),
      [this, shown] {
        const pravella::HtmlExportResult r = pravella::exportHtmlFolder(shown, [this] { pingFromWorker(); });
        return Outcome{r.ok, r.reason, r.page};
      },
      [this](const Outcome& outcome) {
        if (!outcome.ok) return fail(outcome.reason, true);
        openConvertedIndexHTML(outcome.page);
      });
}

void CalConvHTML::openConvertedIndexHTML(const QString& page) {
  NotificationCenter::defaultCenter().post(QStringLiteral("openWebSheetAndConnectURL"), QStringLiteral("file://") + page);
}

void CalConvHTML::saveJPEG2stj(const QString& payload) {
  // The path may hold a TAB itself; the quality is what follows the last one.
  const qsizetype tab = payload.lastIndexOf(u'\t');
  const QString path = payload.left(tab);
  bool number = false;
  const double quality = tab < 0 ? 0 : payload.mid(tab + 1).toDouble(&number);
  const QByteArray bytes = pravella::pictureFromClipboard();
  QString reason;
  if (tab < 0 || !number) {
    reason = QStringLiteral("no path and quality");
  } else if (bytes.isEmpty()) {
    reason = QStringLiteral("there is no picture on the clipboard");
  } else {
    QString error;
    const QImage image = pravella::Picture(bytes).toImage(&error);
    if (image.isNull())
      reason = QStringLiteral("the clipboard's picture cannot be read: %1").arg(error);
    else if (QString why; !pravella::saveAsJpeg(image, path, static_cast<float>(quality), &why))
      reason = why;
  }
  if (reason.isEmpty()) return;
  showErrMessageToConsole(("cal_saveToSTJ: " + reason + "\n").toStdString());
  // The program's result says why too ("Cannot save "…": No such file or directory").
  error_disp(reason.toStdString());
  pravella::failCommand();
}
