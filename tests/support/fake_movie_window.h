#pragma once
// A movie window without a window: it records what programs ask of it and answers with fixed
// figures, so that the "ma" operations can be tested before the real movie windows exist.

#include <QImage>
#include <QSize>
#include <QStringList>

#include <vector>

#include "imaging/movie_windows.h"

namespace pravella::test {

class FakeMovieWindow : public motion::MovieWindow {
 public:
  void transport(motion::MovieTransport what) override { transports.push_back(what); }
  void edit(motion::MovieEdit what) override { edits.push_back(what); }
  motion::MovieTime currentTime() override { return current; }
  void setCurrentTime(motion::MovieTime time) override { current = time; }
  motion::MovieTime duration() override { return {3000, 600, 0}; }
  QSize naturalSize() override { return {320, 240}; }
  QSize windowFrameSize() override { return {320, 282}; }
  bool frameAt(motion::MovieTime time, QImage* out) override {
    asked.push_back(time);
    if (frame.isNull()) return false;
    *out = frame;
    return true;
  }
  void closeWindow() override { ++closed; }

  motion::MovieTime current{1200, 600, 0};
  QImage frame;
  std::vector<motion::MovieTransport> transports;
  std::vector<motion::MovieEdit> edits;
  std::vector<motion::MovieTime> asked;
  int closed = 0;
};

// A 2 x 3 frame: white, black, pure red on the top row; (1, 2, 3) grey levels below.
inline QImage smallFrame() {
  QImage image(3, 2, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(255, 255, 255));
  image.setPixel(1, 0, qRgb(0, 0, 0));
  image.setPixel(2, 0, qRgb(255, 0, 0));
  image.setPixel(0, 1, qRgb(1, 1, 1));
  image.setPixel(1, 1, qRgb(2, 2, 2));
  image.setPixel(2, 1, qRgb(3, 3, 3));
  return image;
}

}  // namespace pravella::test
