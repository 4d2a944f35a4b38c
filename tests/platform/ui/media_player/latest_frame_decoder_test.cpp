// The movie view's decoder hands back only the newest picture asked for: requests made while a
// frame decodes collapse into the last, a cancelled or replaced source never paints, and a
// decoder that goes while its worker decodes leaves no call behind.

#include <gtest/gtest.h>

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QThreadPool>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/ui/media_player/latest_frame_decoder.h"
#include "support/wait_for.h"

namespace {

using pravella::player::LatestFrameDecoder;
using pravella::test::becomesTrue;

// A source whose decoding waits until the test lets it go, so that the test can act while a
// frame is being decoded. Each picture is 1 x 1, its red the source's mark and green the time.
class HeldSource {
 public:
  explicit HeldSource(int mark) : mark_(mark) {}

  LatestFrameDecoder::FrameAt frameAt() {
    return [this](qint64 us) {
      std::unique_lock lock(mutex_);
      asked_.push_back(us);
      changed_.notify_all();
      changed_.wait(lock, [this] { return released_ > 0; });
      --released_;
      QImage image(1, 1, QImage::Format_RGB32);
      image.setPixelColor(0, 0, QColor(mark_, static_cast<int>(us), 0));
      return image;
    };
  }
  // Waits until `count` frames were asked for (the worker is then inside the last).
  bool waitAsked(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return asked_.size() >= count; });
  }
  void release(int frames = 1) {
    std::lock_guard lock(mutex_);
    released_ += frames;
    changed_.notify_all();
  }
  std::vector<qint64> asked() {
    std::lock_guard lock(mutex_);
    return asked_;
  }

 private:
  int mark_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<qint64> asked_;
  int released_ = 0;
};

// Lets every decoding finish and hands back what it queued for the GUI thread.
void settle() {
  QThreadPool::globalInstance()->waitForDone();
  QCoreApplication::processEvents();
}

struct Shown {
  int mark;
  qint64 us;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* os) { *os << "{" << s.mark << ", " << s.us << "}"; }

LatestFrameDecoder::Done record(std::vector<Shown>* shown) {
  return [shown](const QImage& image, qint64 us) {
    shown->push_back({image.isNull() ? -1 : image.pixelColor(0, 0).red(), us});
  };
}

TEST(LatestFrameDecoder, RequestsMadeDuringADecodingCollapseIntoTheLast) {
  std::vector<Shown> shown;
  HeldSource source(10);
  LatestFrameDecoder decoder(record(&shown));
  decoder.setSource(source.frameAt());
  decoder.request(1);
  ASSERT_TRUE(source.waitAsked(1));
  for (qint64 us : {2, 3, 4, 5}) decoder.request(us);
  source.release(2);
  ASSERT_TRUE(becomesTrue([&] { return shown.size() >= 2; }));
  settle();
  EXPECT_EQ(source.asked(), (std::vector<qint64>{1, 5}));
  EXPECT_EQ(shown, (std::vector<Shown>{{10, 1}, {10, 5}}));
}

TEST(LatestFrameDecoder, ACancelledOrReplacedDecodingNeverShows) {
  std::vector<Shown> shown;
  HeldSource first(10), second(20);
  LatestFrameDecoder decoder(record(&shown));
  decoder.setSource(first.frameAt());

  // Cancelled while it decodes: dropped; the next request shows.
  decoder.request(7);
  ASSERT_TRUE(first.waitAsked(1));
  decoder.cancel();
  first.release();
  settle();
  EXPECT_TRUE(shown.empty());

  // The source replaced while a frame of the old one decodes: only the new source's shows.
  decoder.request(8);
  ASSERT_TRUE(first.waitAsked(2));
  decoder.setSource(second.frameAt());
  decoder.request(9);
  first.release();
  ASSERT_TRUE(second.waitAsked(1));
  second.release();
  ASSERT_TRUE(becomesTrue([&] { return !shown.empty(); }));
  settle();
  EXPECT_EQ(shown, (std::vector<Shown>{{20, 9}}));
  EXPECT_EQ(second.asked(), (std::vector<qint64>{9}));
}

TEST(LatestFrameDecoder, ADecoderThatGoesWhileItsFrameDecodesCallsNothing) {
  std::vector<Shown> shown;
  HeldSource source(10);
  {
    LatestFrameDecoder decoder(record(&shown));
    decoder.setSource(source.frameAt());
    decoder.request(3);
    ASSERT_TRUE(source.waitAsked(1));
  }
  source.release();
  settle();
  EXPECT_TRUE(shown.empty());
}

}  // namespace
