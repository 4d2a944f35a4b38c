// The window commands by title as notifications: names, titles, values and the picture's
// answers, seen by a stand-in observer.

#include <gtest/gtest.h>

#include <QImage>
#include <QObject>
#include <QVariant>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "graphics/gl/gl_commands.h"
#include "graphics/picture.h"
#include "lang/values.h"
#include "platform/notification_center.h"

namespace {

using namespace pravella;
using namespace pravella::gl;

struct Posted {
  QString name, title;
  std::vector<double> values;
};

class GLCommands : public ::testing::Test {
 protected:
  void SetUp() override { ResultString.clear(); }
  void TearDown() override {
    NotificationCenter::defaultCenter().removeObservers(&context_);
    TNumber = savedTNumber_;
  }
  void observe(const char* name) {
    NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(name), &context_, [this](Notification& n) {
          posted_.push_back({n.name, n.text, glCommandValues(n.strings)});
        });
  }
  // The picture observer answers with `reply`, or not at all.
  void answerPicture(std::optional<QImage> reply) {
    NotificationCenter::defaultCenter().addObserver(QString::fromLatin1(kDoGetGLPicture), &context_,
                                                    [reply](Notification& n) {
                                                      if (reply) n.reply = QVariant::fromValue(*reply);
                                                    });
  }
  QObject context_;
  std::vector<Posted> posted_;
  int savedTNumber_ = TNumber;
};

TEST_F(GLCommands, ValuesSurviveTheirStrings) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<double> values{0.1, -1e300, 3, inf, -inf, 5e-324};
  EXPECT_EQ(glCommandValues(glCommandValues(values)), values);
  const double nan = std::nan("");
  EXPECT_TRUE(std::isnan(glCommandValues(glCommandValues(std::vector<double>{nan}))[0]));
  EXPECT_TRUE(std::isnan(glCommandValues(QStringList{"not a number"})[0]));
}

TEST_F(GLCommands, EveryCommandHasItsValueCount) {
  const struct {
    const char* name;
    int values;
  } cases[] = {{"moveGLWindow", 2},  {"sizeGLWindow", 2}, {"setBackColor", 3},     {"setPlaneColor", 3},
               {"setLineWidth", 1},  {"setBoxSwitch", 1}, {"setWorldRotation", 4}, {"setObjectRotation", 4},
               {"closeGLWindow", 0}, {"getGLPicture", 0}};
  for (const auto& c : cases) EXPECT_EQ(glWindowCommandValues(c.name), c.values) << c.name;
  EXPECT_EQ(glWindowCommands().size(), 16u);
}

TEST_F(GLCommands, PostsTitleAndValues) {
  for (const char* name : {kMoveGLWindow, kSetPointSwitch, kCloseGLWindow, kCloseAllGLWindow}) observe(name);
  moveGLWindow("A", 10, -20.5);
  setPointSwitch("GL_Window", 0.5);
  closeGLWindow("B");
  closeAllGLWindow();
  ASSERT_EQ(posted_.size(), 4u);
  EXPECT_EQ(posted_[0].name, "moveGLWindow");
  EXPECT_EQ(posted_[0].title, "A");
  EXPECT_EQ(posted_[0].values, (std::vector<double>{10, -20.5}));
  EXPECT_EQ(posted_[1].values, std::vector<double>{0.5});
  EXPECT_EQ(posted_[2].title, "B");
  EXPECT_TRUE(posted_[2].values.empty());
  EXPECT_EQ(posted_[3].name, "closeAllGLWindow");
}

TEST_F(GLCommands, NothingObservesNothingHappens) {
  sizeGLWindow("A", 1, 2);  // no observer: no failure, no message
  QByteArray picture;
  EXPECT_EQ(DoGetGLPicture("A", picture), 0);  // but a picture of no window fails and says so
  EXPECT_EQ(ResultString, "...<Error>...No GL window titled [A].\n");
}

TEST_F(GLCommands, PictureAnswers) {
  QByteArray picture;
  answerPicture(std::nullopt);  // no window of that title
  EXPECT_EQ(DoGetGLPicture("Nope", picture), 0);
  EXPECT_EQ(ResultString, "...<Error>...No GL window titled [Nope].\n");
  ResultString.clear();
  NotificationCenter::defaultCenter().removeObservers(&context_);

  answerPicture(QImage());
  EXPECT_EQ(DoGetGLPicture("Empty", picture), 0);
  EXPECT_EQ(ResultString, "...<Error>...No Picture in ClipBoard\n");
  NotificationCenter::defaultCenter().removeObservers(&context_);

  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(Qt::green);
  answerPicture(image);
  ResultString.clear();
  ASSERT_EQ(DoGetGLPicture("GL_Window", picture), 1);
  const QImage back = Picture(picture).toImage();
  EXPECT_EQ(back.size(), QSize(40, 30));
  EXPECT_EQ(back.pixelColor(5, 5), QColor(Qt::green));

  TNumber = static_cast<int>(picture.size() / 8);  // the picture no longer fits a value
  EXPECT_EQ(DoGetGLPicture("GL_Window", picture), 0);
  EXPECT_EQ(ResultString, "...<Error>...Too Big Text\n");
}

}  // namespace
