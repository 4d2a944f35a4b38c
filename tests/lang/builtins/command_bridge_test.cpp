// The application command bridge seen from a program and from an observing window: what each
// argument form posts, what is refused, and how answers and failures come back.

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QThread>

#include <atomic>
#include <cmath>
#include <limits>
#include <set>
#include <thread>
#include <utility>

#include "editors/text_services.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "lang/builtins/bridge_fixture.h"
#include "lang/builtins/command_table.h"
#include "support/test_home.h"

namespace {

using pravella::CalAnswer;
using pravella::CalForm;

// One argument of a call, in call order.
struct Arg {
  enum Kind { Number, String, Matrix, Ints } kind = Number;
  double number = 0;
  std::string text;
  std::vector<double> values;
  int rows = 1;
};
Arg N(double v) { return {Arg::Number, v, {}, {}, 1}; }
Arg S(std::string s) { return {Arg::String, 0, std::move(s), {}, 1}; }
Arg R(std::vector<double> v, int rows = 1) { return {Arg::Matrix, 0, {}, std::move(v), rows}; }
Arg I(std::vector<double> v) { return {Arg::Ints, 0, {}, std::move(v), 1}; }

class Commands : public BridgeTest {
 protected:
  void push(const std::vector<Arg>& args) {
    for (const Arg& a : args) {
      switch (a.kind) {
        case Arg::Number:
          pushNumber(a.number);
          break;
        case Arg::String:
          pushString(a.text);
          break;
        case Arg::Matrix:
          pushRow(a.values, a.rows);
          break;
        case Arg::Ints:
          pushInts(std::vector<int32_t>(a.values.begin(), a.values.end()));
          break;
      }
    }
  }
  int run(const std::string& name, const std::vector<Arg>& args) {
    push(args);
    return call(name, static_cast<int>(args.size()));
  }
};

// --- The table ---------------------------------------------------------------------------

TEST(CommandTable, EveryEntryIsWellFormedAndNameAndCountSelectExactlyOne) {
  std::set<std::pair<std::string, int>> seen;
  int entries = 0;
  for (const pravella::CalCommand& c : pravella::calCommandTable()) {
    ++entries;
    const std::string name(c.name);
    SCOPED_TRACE(name);
    EXPECT_GT(name.size(), 4u);
    EXPECT_EQ(name.rfind("cal_", 0), 0u);
    EXPECT_TRUE(seen.insert({name, c.argc}).second) << "listed twice";
    EXPECT_EQ(pravella::findCalCommand(c.name, c.argc), &c);
    switch (c.form) {
      case CalForm::TextNumbers:
        EXPECT_TRUE(c.param >= 1 && c.param <= 4);
        break;
      case CalForm::NumberText:
      case CalForm::Menu3:
        EXPECT_GT(c.param, 0);
        break;
      default:
        break;
    }
    const int formArgc =
        c.form == CalForm::Menu3                                                                         ? 3
        : c.form == CalForm::TextNumbers || c.form == CalForm::TextText || c.form == CalForm::NumberText ? 2
        : c.form == CalForm::Special ? c.argc
                                     : 1;
    EXPECT_EQ(c.argc, formArgc);
  }
  // The three windows' tables and the bridge's own commands.
  EXPECT_EQ(entries, 275);
  EXPECT_EQ(pravella::findCalCommand("cal_memoCopy", 2), nullptr);
  EXPECT_EQ(pravella::findCalCommand("cal_memocopy", 1), nullptr);  // case matters
  EXPECT_EQ(pravella::findCalCommand("cal_memo", 1), nullptr);      // no prefix match
  EXPECT_NE(pravella::findCalCommand("cal_addUserMenuItem", 2), nullptr);
  EXPECT_NE(pravella::findCalCommand("cal_addUserMenuItem", 4), nullptr);
}

// --- What each form posts ----------------------------------------------------------------

struct PostCase {
  const char* command;
  std::vector<Arg> args;
  const char* notification;
  std::string payload;
};

TEST_F(Commands, EachFormPostsItsPayloadUnderItsNotification) {
  const std::vector<PostCase> cases = {
      // trigger
      {"cal_memoCopy", {N(0)}, "cal_memoCopy", " "},
      {"cal_openFTPSheet", {N(12.5)}, "cal_openFTPSheet", " "},
      {"cal_toggleFTPSheet", {N(0)}, "cal_toggleFTPSheet", " "},
      {"cal_closeFTPSheet", {N(0)}, "cal_closeFTPSheet", " "},
      // choice
      {"cal_searchKindStateForMonthList", {N(0)}, "cal_searchKindStateForMonthList", "0"},
      {"cal_editStateOfManualSheet", {N(-0.5)}, "cal_editStateOfManualSheet", "1"},
      // integer: truncated toward zero
      {"cal_setMemoFontSize", {N(12.9)}, "cal_setMemoFontSize", "12"},
      {"cal_setMemoFontSize", {N(-3.7)}, "cal_setMemoFontSize", "-3"},
      {"cal_changeCPUMonitor", {N(3e9)}, "cal_changeCPUMonitor", "3000000000"},
      {"cal_changeFileTableColor", {N(2)}, "cal_changeFileTableForeColor", "2"},  // alias
      // real
      {"cal_indentWidth", {N(2.5)}, "cal_indentWidth", "2.5"},
      {"cal_indentWidth", {N(1e-7)}, "cal_indentWidth", "1e-07"},
      // text
      {"cal_openEDicSheet", {S("word")}, "cal_openEDicSheet", "word"},
      {"cal_openEDicSheet", {S("")}, "cal_openEDicSheet", ""},
      // text-or-none
      {"cal_soundBeep", {S("Ping")}, "cal_soundBeep", "Ping"},
      {"cal_soundBeep", {N(0)}, "cal_soundBeep", ""},
      {"cal_soundBeep", {N(5)}, "cal_soundBeep", ""},
      {"cal_setFTPPW", {N(0)}, "cal_setFTPPW", ""},
      {"cal_setFTPPW", {S("s3cret\tx")}, "cal_setFTPPW", "s3cret\tx"},
      {"cal_setFindString", {I({256, 1})}, "cal_setFindString", ""},  // lowest byte of 256 is 0
      {"cal_setFindString", {R({0, 7})}, "cal_setFindString", ""},
      // range
      {"cal_setDocSelectedRange", {R({3, -1})}, "cal_setDocSelectedRange", "3\t-1"},
      {"cal_setMemoSelectedRange", {R({-2, 4.9})}, "cal_setMemoSelectedRange", "-2\t4"},
      // vector3
      {"cal_setLocation", {R({135, 35, 0})}, "cal_setLocation", "135 35 0"},
      {"cal_setAmModeDocFontColor", {R({0.5, 1, 0.25})}, "cal_setAmModeDocFontColor", "0.5 1 0.25"},
      // text+numbers
      {"cal_setNowValueToSliderButton", {S("s1"), N(0.25)}, "cal_setNowValueToSliderButton", "s1\t0.25"},
      {"cal_setAmModeBox", {S("box"), R({10, 20})}, "cal_setAmModeBox", "box\t10\t20"},
      {"cal_setMinNowMaxValueToSliderButton",
       {S("s"), R({0, 5, 10})},
       "cal_setMinNowMaxValueToSliderButton",
       "s\t0\t5\t10"},
      {"cal_setAmModeButtonFrame",
       {S("b1"), R({1, 2, 3.5, 4})},
       "cal_setAmModeButtonFrame",
       "b1\t1\t2\t3.5\t4"},
      // text+text
      {"cal_setAmModeButtonTitle", {S("b1"), S("Go")}, "cal_setAmModeButtonTitle", "b1\tGo"},
      {"cal_setFileType", {S("/tmp/a"), S("TEXT")}, "cal_setFileType", "/tmp/a\tTEXT"},
      // number+text
      {"cal_setDocMenuTitle", {N(10), S("Ten")}, "cal_setDocMenuTitle", "10\tTen"},
      {"cal_setSearchCellTitle", {N(13.5), S("t")}, "cal_setSearchCellTitle", "13\tt"},
      // menu3
      {"cal_setDocMenu", {N(20), S("a"), S("b")}, "cal_setDocMenuButton", "20\ta\tb"},
      {"cal_setDocMenuButton", {N(1.9), S("a"), S("b")}, "cal_setDocMenuButton", "1\ta\tb"},
      {"cal_setISSButton", {N(5), S("t"), S("s")}, "cal_setImageSegmentSheetButton", "5\tt\ts"},
      {"cal_setFinderSheet", {N(10), S("t"), S("s")}, "cal_setFinderSheetButton", "10\tt\ts"},
      // the special rows
      {"cal_setCalendarView", {N(0)}, "cal_setCalendarViewBase", " "},
      {"cal_setCalendarView", {N(2)}, "cal_setCalendarView_01", " "},
      {"cal_openURL", {S("http://example.org/")}, "cal_openURL_str", "http://example.org/"},
      {"cal_openURL", {N(0)}, "cal_openURL", " "},
      {"cal_buildAmModeObject", {S("/p/panel.txt")}, "buildAmModeObjectWithPath", "/p/panel.txt"},
      {"cal_buildAmModeObject", {N(1)}, "cal_buildAmModeObject", " "},
      {"cal_addUserMenuItem", {S("Title"), S("script")}, "cal_addUserMenuItem", "Title\tscript"},
      {"cal_addUserMenuItem",
       {S("Title"), S("script"), S("k"), N(3.2)},
       "cal_addUserMenuItem2",
       "Title\tscript\tk\t3"},
      {"cal_setAmModeButtonTitle_X",
       {S("a"), S("b"), S("c"), R({3.7, 1, 2, 3, 4})},
       "cal_setAmModeButtonTitle_X",
       "a\tb\tc\t3\t1\t2\t3\t4"},
      {"cal_command", {S("name"), S("body text")}, "cal_command", "body text"},
      {"cal_getDocLength", {N(0)}, "cal_getDocumentLength", " "},
  };
  std::set<std::string> names;
  for (const PostCase& c : cases) names.insert(c.notification);
  for (const std::string& n : names)
    observe(n, [this](const pravella::Notification& n) {
      // Questions must be answered, or the command fails for want of an answer.
      if (n.name == "cal_getDocumentLength") pravella::answerNumbers(std::vector<double>{1, 2});
    });
  for (const PostCase& c : cases) {
    SCOPED_TRACE(c.command);
    posted.clear();
    sp = 0;
    ResultString.clear();
    EXPECT_EQ(run(c.command, c.args), 1) << ResultString;
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].name, c.notification);
    EXPECT_EQ(posted[0].text, c.payload);
    EXPECT_EQ(ResultString, "");
  }
}

// Every row of the common forms, called with a valid argument, posts once under its
// notification; a question is answered with a value of its kind, which lands on the stack.
TEST_F(Commands, EveryRowOfTheCommonFormsRunsAndPostsUnderItsNotification) {
  int checked = 0;
  std::set<std::string> observed;  // an alias posts the same notification as its main name
  for (const pravella::CalCommand& c : pravella::calCommandTable()) {
    if (c.form == CalForm::Special || c.special == pravella::CalSpecial::NoEffectMenu3) continue;
    const std::string name(c.name);
    SCOPED_TRACE(name);
    std::vector<Arg> args;
    switch (c.form) {
      case CalForm::Trigger:
      case CalForm::Choice:
      case CalForm::Integer:
      case CalForm::Real:
        args = {N(1)};
        break;
      case CalForm::Text:
      case CalForm::TextOrNone:
        args = {S("t")};
        break;
      case CalForm::Range:
        args = {R({1, 2})};
        break;
      case CalForm::Vector3:
        args = {R({1, 2, 3})};
        break;
      case CalForm::TextNumbers:
        args = {S("t"), R(std::vector<double>(c.param, 1.0))};
        break;
      case CalForm::TextText:
        args = {S("t"), S("CODE")};
        break;
      case CalForm::NumberText:
        args = {N(1), S("t")};
        break;
      case CalForm::Menu3:
        args = {N(1), S("a"), S("b")};
        break;
      case CalForm::Special:
        break;
    }
    ASSERT_EQ(static_cast<int>(args.size()), c.argc);
    const CalAnswer answer = c.answer;
    if (observed.insert(std::string(c.notification())).second)
      observe(std::string(c.notification()), [answer](const pravella::Notification&) {
        switch (answer) {
          case CalAnswer::String:
            pravella::answerString("answer");
            break;
          case CalAnswer::Number:
            pravella::answerNumber(1);
            break;
          case CalAnswer::Row2:
            pravella::answerNumbers(std::vector<double>{1, 2});
            break;
          case CalAnswer::Row3:
            pravella::answerNumbers(std::vector<double>{1, 2, 3});
            break;
          case CalAnswer::Row4:
            pravella::answerNumbers(std::vector<double>{1, 2, 3, 4});
            break;
          default:
            break;
        }
      });
    posted.clear();
    sp = 0;
    EXPECT_EQ(run(name, args), 1) << ResultString;
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].name, c.notification());
    EXPECT_EQ(sp, answer == CalAnswer::None ? 0 : 1);
    ++checked;
  }
  EXPECT_GT(checked, 240);
}

TEST_F(Commands, CloseSheetCommandsPostTheirOwnNamesForOneObserverMethod) {
  observeAll({"cal_closeSheet", "cal_closeMemoSheet", "cal_closeToolSheet"});
  for (const char* name : {"cal_closeSheet", "cal_closeMemoSheet", "cal_closeToolSheet"})
    EXPECT_EQ(run(name, {N(0)}), 1);
  EXPECT_EQ(posted, (std::vector<Posted>{{"cal_closeSheet", " ", {}},
                                         {"cal_closeMemoSheet", " ", {}},
                                         {"cal_closeToolSheet", " ", {}}}));
}

TEST_F(Commands, SaveToSTJPutsThePictureOnTheClipboardAndPostsTheFullPath) {
  current_fullPath = "/work/folder";
  const QByteArray picture = pravella::Picture::fromImage(QImage(4, 3, QImage::Format_RGB32)).bytes();
  QByteArray onClipboard;
  observe("cal_saveToSTJ",
          [&](const pravella::Notification&) { onClipboard = pravella::pictureFromClipboard(); });

  auto save = [&](const std::string& file, double quality) {
    pushPicture(picture);
    push({S(file), N(quality)});
    return call("cal_saveToSTJ", 3);
  };
  EXPECT_EQ(save("shot.jpg", 1), 1) << ResultString;
  EXPECT_EQ(save("/abs/shot.jpg", 0.5), 1) << ResultString;
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].text, "/work/folder/shot.jpg\t1");
  EXPECT_EQ(posted[1].text, "/abs/shot.jpg\t0.5");
  EXPECT_EQ(onClipboard, picture);

  for (double q : {0.0, 1.5, std::nan("")}) {
    ResultString.clear();
    EXPECT_EQ(save("x.jpg", q), 0);
    EXPECT_EQ(ResultString, "...<Error>...Invalid arguments.\n");
  }
  EXPECT_EQ(posted.size(), 2u);
}

// --- What is refused ---------------------------------------------------------------------

struct RefusedCase {
  const char* command;
  std::vector<Arg> args;
};

TEST_F(Commands, WrongArgumentsAreRefusedBeforeAnythingIsPosted) {
  const std::vector<RefusedCase> cases = {
      {"cal_memoCopy", {S("0")}},          // trigger wants a number
      {"cal_memoCopy", {R({0, 0})}},       // ... of 1 x 1
      {"cal_setMemoFontSize", {I({12})}},  // an integer matrix is not a number
      {"cal_changeDocFontSize", {S("x")}},
      {"cal_openEDicSheet", {N(0)}},  // text wants a string
      {"cal_soundBeep", {N(0.1)}},    // stored bytes not starting with 0
      {"cal_soundBeep", {N(1e300)}},
      {"cal_setDocSelectedRange", {R({-1, -2})}},
      {"cal_setDocSelectedRange", {R({1, 2}, 2)}},  // 2 x 1
      {"cal_setLocation", {R({135, 35})}},
      {"cal_setAmModeBox", {S("b"), R({1, 2, 3})}},
      {"cal_setNowValueToSliderButton", {S("b"), R({1, 2})}},
      {"cal_setAmModeBox", {N(1), R({1, 2})}},
      {"cal_setAmModeButtonTitle", {S("a"), N(0)}},
      {"cal_setFileType", {S("/tmp/a"), S("TEX")}},
      {"cal_setFileCreator", {S("/tmp/a"), S("ABCDE")}},
      {"cal_setDocMenuTitle", {N(11), S("t")}},
      {"cal_setDocMenuTitle", {N(0), S("t")}},
      {"cal_setSearchCellTitle", {N(14), S("t")}},
      {"cal_setDocMenu", {N(21), S("a"), S("b")}},
      {"cal_setDocMenu", {N(0), S("a"), S("b")}},
      {"cal_setDocMenu", {N(std::nan("")), S("a"), S("b")}},
      {"cal_setDocMenu", {N(1), S(""), S("b")}},
      {"cal_setDocMenu", {N(1), S("a"), S("")}},
      {"cal_setISSButton", {N(0), S("a"), S("b")}},
      {"cal_setISSButton", {N(6), S("a"), S("b")}},
      {"cal_setMemoSheetMenu", {N(11), S("a"), S("b")}},
      {"cal_addUserMenuItem", {S(""), S("b")}},
      {"cal_addUserMenuItem", {S("a"), S("b"), S("ab"), N(1)}},
      {"cal_addUserMenuItem", {S("a"), S("b"), S(""), N(1)}},
      {"cal_command", {S(""), S("b")}},
      {"cal_command", {S(std::string(1024, 'a')), S("b")}},
      {"cal_command", {S("a"), S("")}},
      {"cal_setAmModeButtonTitle_X", {S(std::string(1024, 'a')), S("b"), S("c"), R({1, 2, 3, 4, 5})}},
      {"cal_setAmModeButtonTitle_X", {S("a"), S("b"), S("c"), R({1, 2, 3, 4})}},
      {"cal_openURL", {R({1, 2})}},
      {"cal_setCalendarView", {S("0")}},
      {"cal_openWebSheet", {S("x")}},
      {"cal_getUserDiaryPath", {S("x")}},
      {"cal_FTPConnect", {S("x")}},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.command);
    observe(c.command);
  }
  observeAll({"cal_setDocMenuButton", "cal_setImageSegmentSheetButton", "cal_addUserMenuItem2",
              "cal_openURL_str", "cal_setCalendarViewBase", "cal_setCalendarView_01"});
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.command + std::string(" with ") + std::to_string(c.args.size()) + " arguments");
    sp = 0;
    ResultString.clear();
    EXPECT_EQ(run(c.command, c.args), 0);
    EXPECT_EQ(ResultString, "...<Error>...Invalid arguments.\n");
  }
  EXPECT_TRUE(posted.empty());
}

TEST_F(Commands, AnotherArgumentCountIsAnUnknownFunctionAndPopsNothing) {
  observeAll({"cal_memoCopy", "cal_addUserMenuItem", "cal_addUserMenuItem2"});
  const std::vector<std::pair<const char*, std::vector<Arg>>> cases = {
      {"cal_memoCopy", {N(0), N(0)}},
      {"cal_memoCopy", {}},
      {"cal_addUserMenuItem", {S("a"), S("b"), S("c")}},
      {"cal_noSuchCommand", {N(0)}},
      {"cal_MemoCopy", {N(0)}},
  };
  for (const auto& [name, args] : cases) {
    SCOPED_TRACE(name);
    sp = 0;
    ResultString.clear();
    EXPECT_EQ(run(name, args), 0);
    EXPECT_EQ(ResultString, "...<Error>...Unknown function.\n");
    EXPECT_EQ(sp, static_cast<int>(args.size()));
  }
  EXPECT_TRUE(posted.empty());
}

TEST_F(Commands, MissingArgumentValuesFailWithTheStackMessage) {
  observe("cal_setAmModeBox");
  pushRow({1, 2});
  EXPECT_EQ(call("cal_setAmModeBox", 2), 0);
  EXPECT_EQ(ResultString, "...<Error>...Stack (calc)\n");
  EXPECT_TRUE(posted.empty());
}

// --- Without a window --------------------------------------------------------------------

TEST_F(Commands, ACommandThatNoWindowObservesFailsWithAMessage) {
  EXPECT_EQ(run("cal_memoCopy", {N(0)}), 0);
  EXPECT_EQ(ResultString, "...<Error>...No window receives [cal_memoCopy].\n");

  ResultString.clear();
  EXPECT_EQ(run("cal_setDocMenu", {N(2), S("a"), S("b")}), 0);
  EXPECT_EQ(ResultString, "...<Error>...No window receives [cal_setDocMenuButton].\n");

  // Nothing in the application observes cal_command at all.
  ResultString.clear();
  EXPECT_EQ(run("cal_command", {S("a"), S("b")}), 0);
  EXPECT_EQ(ResultString, "...<Error>...No window receives [cal_command].\n");

  for (const char* request :
       {"cal_openWebSheet", "cal_webBrowser", "cal_wikiSearch", "cal_spotlightSearch"}) {
    ResultString.clear();
    EXPECT_EQ(run(request, {request == std::string("cal_openWebSheet") ? N(0) : S("word")}), 0);
    EXPECT_EQ(ResultString, "...<Error>...No window receives [" + std::string(request) + "].\n");
  }
}

TEST_F(Commands, APictureCommandWithoutItsWindowLeavesTheClipboardAlone) {
  QImage image(2, 2, QImage::Format_RGB32);
  image.fill(Qt::blue);
  const QByteArray picture = pravella::Picture::fromImage(image).bytes();
  QGuiApplication::clipboard()->setText(QStringLiteral("the user's text"));
  pushString("image1");
  pushPicture(picture);
  EXPECT_EQ(call("cal_setImageToAmModeButton", 2), 0);
  EXPECT_EQ(ResultString, "...<Error>...No window receives [cal_setImageToAmModeButton].\n");
  pushPicture(picture);
  push({S("a.jpg"), N(1)});
  EXPECT_EQ(call("cal_saveToSTJ", 3), 0);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("the user's text"));
}

TEST_F(Commands, TheBridgesOwnCommandsNeedNoWindow) {
  EXPECT_EQ(run("cal_getUserDiaryPath", {N(0)}), 1);
  ASSERT_EQ(sp, 1);
  std::string diary;
  getUserDiaryPath(diary);
  EXPECT_EQ(topString(), diary);
  EXPECT_EQ(diary, pravella::test::home().toStdString() + "/Documents/diary");
  EXPECT_EQ(top().msize, static_cast<int>(diary.size()));

  sp = 0;
  for (const char* name :
       {"cal_FTPConnect", "cal_toggleGraphDispStatus"})
    EXPECT_EQ(run(name, {N(1)}), 1) << name;
  EXPECT_EQ(run("cal_setMemoSheetMenu", {N(10), S("a"), S("b")}), 1);
  EXPECT_EQ(run("cal_setMemoSheetMenuButton", {N(1), S("a"), S("b")}), 1);
  EXPECT_EQ(sp, 0);
  EXPECT_EQ(ResultString, "");
}

TEST_F(Commands, WebSheetAndMemoSearchRequestsReachTheirWindows) {
  observeAll({"openWebViewSheet", "openWebSheetAndConnectURL_Y", "openWebSheetAndConnectURL_Wiki",
              "DoSpotlightSearch"});
  EXPECT_EQ(run("cal_openWebSheet", {R({1, 2, 3, 4}, 2)}), 1);  // only the type is tested
  EXPECT_EQ(run("cal_openWebBrowser", {N(0)}), 1);
  EXPECT_EQ(run("cal_googleSearch", {S("http://example.org/")}), 1);
  EXPECT_EQ(run("cal_wikiSearch", {S("moon")}), 1);
  EXPECT_EQ(run("cal_spotlightSearch", {S("sun")}), 1);
  EXPECT_EQ(run("cal_spotlightFooSearch", {S("sun")}), 1);
  EXPECT_EQ(posted, (std::vector<Posted>{{"openWebViewSheet", "", {}},
                                         {"openWebViewSheet", "", {}},
                                         {"openWebSheetAndConnectURL_Y", "http://example.org/", {}},
                                         {"openWebSheetAndConnectURL_Wiki", "moon", {}},
                                         {"DoSpotlightSearch", "sun", {"0"}},
                                         {"DoSpotlightSearch", "sun", {"1"}}}));
  EXPECT_EQ(sp, 0);
}

// --- Answers and failures ----------------------------------------------------------------

TEST_F(Commands, ObserversAnswerOntoTheRunningStack) {
  observe("cal_getAllMemo", [](const pravella::Notification&) { pravella::answerString("memo\ntext"); });
  observe("cal_getOpenedSheet", [](const pravella::Notification&) { pravella::answerNumber(7); });
  observe("cal_getMemoSelectedRange", [](const pravella::Notification&) {
    pravella::answerNumbers(std::vector<double>{4, 2});
  });
  observe("cal_getLocation", [](const pravella::Notification&) {
    pravella::answerNumbers(std::vector<double>{35, 135, 9});
  });
  observe("cal_getAmModeButtonFrame", [](const pravella::Notification& n) {
    pravella::answerNumbers(std::vector<double>{1, 2, 3, n.text.isEmpty() ? 0.0 : 4.0});
  });
  observe("cal_getStringOfAmModeTextField", [](const pravella::Notification& n) {
    pravella::answerString(QStringLiteral("field of ") + n.text);
  });

  pushNumber(99);  // a value of the program's own below the answers
  EXPECT_EQ(run("cal_getAllMemo", {N(0)}), 1);
  EXPECT_EQ(sp, 2);
  EXPECT_EQ(topString(), "memo\ntext");
  EXPECT_EQ(top().msize, 9);

  EXPECT_EQ(run("cal_getOpenedSheet", {N(0)}), 1);
  EXPECT_EQ(topReals(), std::vector<double>{7});
  EXPECT_EQ(top().msize, 1);
  EXPECT_EQ(run("cal_getMemoSelectedRange", {N(0)}), 1);
  EXPECT_EQ(topReals(), (std::vector<double>{4, 2}));
  EXPECT_EQ(top().msize, 1);
  EXPECT_EQ(top().nsize, 2);
  EXPECT_EQ(run("cal_getLocation", {N(0)}), 1);
  EXPECT_EQ(top().nsize, 3);
  EXPECT_EQ(run("cal_getAmModeButtonFrame", {S("b1")}), 1);
  EXPECT_EQ(topReals(), (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(run("cal_getStringOfAmModeTextField", {S("t1")}), 1);
  EXPECT_EQ(topString(), "field of t1");
  EXPECT_EQ(sp, 7);
  EXPECT_EQ(stack[0].data.doubles()[0], 99);
  EXPECT_EQ(ResultString, "");
}

TEST_F(Commands, AnObserverFailureFailsTheCommandWithoutAMessageOfItsOwn) {
  observe("cal_getDocumentPath", [](const pravella::Notification&) { pravella::failCommand(); });
  observe("cal_memoCopy");
  EXPECT_EQ(run("cal_getDocumentPath", {N(0)}), 0);
  EXPECT_EQ(pv_ErrorCheck, 1);
  EXPECT_EQ(sp, 0);
  EXPECT_EQ(ResultString, "");
  // The flag stays until the next command, which starts clean.
  EXPECT_EQ(run("cal_memoCopy", {N(0)}), 1);
  EXPECT_EQ(pv_ErrorCheck, 0);
}

TEST_F(Commands, AQuestionLeftWithoutAnswerFails) {
  observe("cal_getAllMemo");  // answers nothing
  EXPECT_EQ(run("cal_getAllMemo", {N(0)}), 0);
  EXPECT_EQ(ResultString, "...<Error>...No answer came back from [cal_getAllMemo].\n");
}

TEST_F(Commands, AnAnswerThatCannotBePushedFailsTheCommand) {
  observe("cal_getAllMemo", [](const pravella::Notification&) {
    EXPECT_FALSE(pravella::answerString(std::string(static_cast<std::size_t>(TNumber) * 8, 'x')));
  });
  EXPECT_EQ(run("cal_getAllMemo", {N(0)}), 0);
  EXPECT_EQ(pv_ErrorCheck, 1);
  EXPECT_EQ(ResultString, "...<Error>...Too long string.\n");
  EXPECT_EQ(sp, 0);
}

TEST_F(Commands, AnswerHelpersOutsideACommandFailInsteadOfWritingAnywhere) {
  pv_calc = nullptr;
  pv_sp = nullptr;
  EXPECT_FALSE(pravella::answerNumber(1));
  EXPECT_EQ(pv_ErrorCheck, 1);
}

TEST_F(Commands, PicturesComeBackFromTheClipboardAndGoToIt) {
  QImage image(5, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  const QByteArray picture = pravella::Picture::fromImage(image).bytes();
  observe("cal_getImageFromAmModeButton", [&](const pravella::Notification& n) {
    if (n.text == "full") {
      DoCopyPictureToScrap(picture);
    } else {
      QGuiApplication::clipboard()->clear();
    }
  });
  EXPECT_EQ(run("cal_getImageFromAmMode", {S("full")}), 1) << ResultString;
  ASSERT_EQ(sp, 1);
  EXPECT_EQ(top().type, kValuePicture);
  EXPECT_EQ(top().msize, picture.size());
  EXPECT_EQ(QByteArray(top().data.chars(), top().msize), picture);

  sp = 0;
  EXPECT_EQ(run("cal_getImageFromAmModeButton", {S("empty")}), 0);
  EXPECT_EQ(ResultString, "...<Error>...No Picture in ClipBoard\n");
  EXPECT_EQ(sp, 0);

  QByteArray received;
  observe("cal_setImageToAmModeButton",
          [&](const pravella::Notification&) { received = pravella::pictureFromClipboard(); });
  ResultString.clear();
  pushString("image1");
  pushPicture(picture);
  EXPECT_EQ(call("cal_setImageToAmModeButton", 2), 1) << ResultString;
  EXPECT_EQ(received, picture);
  EXPECT_EQ(posted.back(), (Posted{"cal_setImageToAmModeButton", "image1", {}}));

  pushString("image1");
  pushNumber(0);
  EXPECT_EQ(call("cal_setImageToAmModeButton", 2), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid arguments.\n");
}

// A window controller lives on the GUI thread and a program on its worker: the post waits for
// the observer there, and the answer is on the program's stack when the command returns.
TEST_F(Commands, DeliveryFromAWorkerThreadWaitsForTheWindowsThread) {
  QObject window;  // on this (the GUI) thread
  std::atomic<bool> ranOnGuiThread{false};
  const pravella::ObserverId id = pravella::NotificationCenter::defaultCenter().addObserver(
      QStringLiteral("cal_getFindString"), &window, [&](pravella::Notification& n) {
        ranOnGuiThread = QThread::currentThread() == window.thread();
        pravella::answerString(QStringLiteral("found:") + n.text);
      });
  pushNumber(0);
  std::atomic<int> result{-1};
  std::thread worker([&] { result = call("cal_getFindString", 1); });
  while (result == -1) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  worker.join();
  pravella::NotificationCenter::defaultCenter().removeObserver(id);
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(ranOnGuiThread);
  ASSERT_EQ(sp, 1);
  EXPECT_EQ(topString(), "found: ");
}

// An observer that runs a program (a command script, say) starts a nested run whose commands
// use the bridge too; the outer command's answer must still land on the outer stack.
TEST_F(Commands, ANestedRunInsideAnObserverKeepsTheOuterCommandsStackAndFlag) {
  VkCalcStack inner(kCalcStackSize);
  int innerSp = 0;
  observe("cal_memoCopy", [](const pravella::Notification&) { pravella::failCommand(); });
  observe("cal_getFileList", [&](const pravella::Notification&) {
    vkPushScalar(inner.data(), &innerSp, 0);
    vk_Code record;
    record.kind = kCodeFunction;
    record.name = "cal_memoCopy";
    record.argc = 1;
    int pc = 0;
    EXPECT_EQ(DoFunctionPravellaCommand(1, &record, &pc, inner.data(), &innerSp), 0);  // fails inside
    pravella::answerString("outer answer");
  });
  EXPECT_EQ(run("cal_getFileList", {S("/tmp")}), 1);
  EXPECT_EQ(innerSp, 0);
  ASSERT_EQ(sp, 1);
  EXPECT_EQ(topString(), "outer answer");
  EXPECT_EQ(pv_ErrorCheck, 0);
}

TEST_F(Commands, OtherBuiltInsAskForAnswersOnTheirOwnStack) {
  observe("cal_getFilePath", [](const pravella::Notification&) { pravella::answerString("/chosen/file"); });
  pv_ErrorCheck = 1;  // left over from an earlier failed command; must not fail this post
  EXPECT_EQ(vkCallNotificationForAnswer(stack.data(), &sp, "cal_getFilePath", " "), 1);
  ASSERT_EQ(sp, 1);
  EXPECT_EQ(topString(), "/chosen/file");
  EXPECT_EQ(cal_callNotification("calculationOnRunFunction", "1+1"), 0);
  EXPECT_EQ(ResultString, "...<Error>...No window receives [calculationOnRunFunction].\n");
}

}  // namespace
