// The memo's HTML export and web archive open in the web drawer with their text and picture.

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>
#include <utility>

#include "net/web/ui/cal_web_view.h"
#include "platform/notification_center.h"
#include "support/test_home.h"
#include "tools/system/html_export.h"
#include "tools/system/japanese_memo.h"
#include "tools/text_converter.h"

namespace {

constexpr int kWaitMs = 20000;

class ExportedPages : public testing::Test {
 protected:
  void SetUp() override {
    memo = pravella::test::writeJapaneseMemo(pravella::test::home() + "/day");
    window.resize(900, 700);
    CalWebView::Host host;
    host.addSideView = [this](QDockWidget* dock) { window.addDockWidget(Qt::RightDockWidgetArea, dock); };
    host.mainWindow = &window;
    web = std::make_unique<CalWebView>(host);
    web->awakeFromNib();
    window.show();
  }

  // The shown page's text and the width of its first picture, once it has loaded and the
  // picture is decoded. The answers come back later, so they go to a state that outlives them.
  std::pair<QString, int> shown() {
    struct Answer {
      QString text;
      int width = 0;
      int replies = 0;
    };
    auto answer = std::make_shared<Answer>();
    if (!web->webViewField()) return {};
    QWebEnginePage* page = qobject_cast<QWebEngineView*>(web->webViewField()->widget())->page();
    const bool ok = QTest::qWaitFor(
        [&] {
          if (!web->idle()) return false;
          const int asked = answer->replies;
          // An archive's page runs no scripts of its own; ours run in the application's world.
          page->runJavaScript("document.images.length ? document.images[0].naturalWidth : 0",
                              QWebEngineScript::ApplicationWorld, [answer](const QVariant& v) {
                                answer->width = v.toInt();
                                ++answer->replies;
                              });
          page->toPlainText([answer](const QString& t) { answer->text = t; });
          if (!QTest::qWaitFor([&] { return answer->replies > asked; }, kWaitMs)) return false;
          return answer->width > 0 && !answer->text.isEmpty();
        },
        kWaitMs);
    return {ok ? answer->text : QString(), answer->width};
  }

  QString memo;
  QMainWindow window;
  std::unique_ptr<CalWebView> web;
};

TEST_F(ExportedPages, TheHtmlExportOpensWithItsPicture) {
  const pravella::HtmlExportResult r = pravella::exportHtmlFolder(memo);
  ASSERT_TRUE(r.ok) << r.reason.toStdString();
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("openWebSheetAndConnectURL"), "file://" + r.page);
  const auto [text, width] = shown();
  EXPECT_TRUE(text.contains(pravella::test::kJapaneseLine)) << text.toStdString();
  EXPECT_EQ(width, 40);
}

TEST_F(ExportedPages, TheWebArchiveOpensWithItsPicture) {
  const pravella::ConversionResult r = pravella::convertOntoDesktop("webarchive", memo);
  ASSERT_TRUE(r.ok) << r.reason.toStdString();
  web->connectURLString(QUrl::fromLocalFile(r.output).toString(QUrl::FullyEncoded));
  const auto [text, width] = shown();
  EXPECT_TRUE(text.contains(pravella::test::kJapaneseLine)) << text.toStdString();
  EXPECT_EQ(width, 40);
}

}  // namespace
