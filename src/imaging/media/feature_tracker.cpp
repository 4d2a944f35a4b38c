#include "imaging/media/feature_tracker.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include <utility>
#include <vector>

#include "imaging/media/cv_images.h"
#include "imaging/media/frame_readers.h"

namespace pravella::media {

namespace {

constexpr int kWinSize = 10;
// Refinement and flow stop after 20 iterations or a step below 0.03 pixels.
const cv::TermCriteria kCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 20, 0.03);

cv::Point rounded(const cv::Point2f& p) { return cv::Point(cvRound(p.x), cvRound(p.y)); }

void refine(const cv::Mat& grey, std::vector<cv::Point2f>& points) {
  if (points.empty()) return;
  try {
    cv::cornerSubPix(grey, points, cv::Size(kWinSize, kWinSize), cv::Size(-1, -1), kCriteria);
  } catch (const cv::Exception&) {
    // A point too near the border for the window keeps its integer place.
  }
}

QImage toRgb888(const cv::Mat& bgr) {
  QImage out(bgr.cols, bgr.rows, QImage::Format_RGB888);
  for (int y = 0; y < bgr.rows; ++y) {
    const auto* src = bgr.ptr<cv::Vec3b>(y);
    uchar* dst = out.scanLine(y);
    for (int x = 0; x < bgr.cols; ++x) {
      dst[3 * x] = src[x][2];
      dst[3 * x + 1] = src[x][1];
      dst[3 * x + 2] = src[x][0];
    }
  }
  return out;
}

class LucasKanadeTracker : public FeatureTracker {
 public:
  void processFrame(const FrameReader& frames, bool recording) override;
  void click(int x, int y) override {
    if (image_.empty()) return;
    click_ = cv::Point(x, y);
    clickPending_ = true;
  }
  QImage image() const override { return toRgb888(image_); }
  std::vector<QPointF> points() const override {
    std::vector<QPointF> out;
    out.reserve(points_.size());
    for (const cv::Point2f& p : points_) out.emplace_back(p.x, p.y);
    return out;
  }
  void clearPoints() override { points_.clear(); }
  void requestInit() override { needToInit_ = true; }
  void toggleNightMode() override { nightMode_ = !nightMode_; }
  bool nightMode() const override { return nightMode_; }

 private:
  cv::Mat image_, grey_, prevGrey_;
  std::vector<cv::Point2f> points_;
  bool needToInit_ = false;
  bool nightMode_ = false;
  bool clickPending_ = false;
  cv::Point click_;
};

void LucasKanadeTracker::processFrame(const FrameReader& frames, bool recording) {
  // Every reader is one of this module's.
  const cv::Mat& frame = static_cast<const CvFrameReader&>(frames).frame();
  if (frame.empty()) return;
  // The working images follow the frame: a run whose frames differ in size from the last
  // one's starts afresh rather than flowing between images of two sizes.
  if (!prevGrey_.empty() && prevGrey_.size() != frame.size()) {
    prevGrey_.release();
    points_.clear();
  }
  bgrFrame(frame).copyTo(image_);
  cv::cvtColor(image_, grey_, cv::COLOR_BGR2GRAY);
  if (nightMode_) image_.setTo(cv::Scalar::all(0));

  if (needToInit_) {
    std::vector<cv::Point2f> found;
    cv::goodFeaturesToTrack(grey_, found, kMaxTrackedPoints, 0.01, 10, cv::noArray(), 3, false, 0.04);
    refine(grey_, found);
    points_ = std::move(found);
    clickPending_ = false;
  } else if (!points_.empty() && !prevGrey_.empty()) {
    std::vector<cv::Point2f> next;
    std::vector<uchar> status;
    cv::calcOpticalFlowPyrLK(prevGrey_, grey_, points_, next, status, cv::noArray(),
                             cv::Size(kWinSize, kWinSize), 3, kCriteria, 0);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < next.size(); ++i) {
      if (clickPending_) {
        const double dx = click_.x - next[i].x, dy = click_.y - next[i].y;
        if (dx * dx + dy * dy <= 25) {
          clickPending_ = false;
          continue;
        }
      }
      if (!status[i]) continue;
      next[kept++] = next[i];
      cv::circle(image_, rounded(next[i]), 5, cv::Scalar(0, 255, 0), -1, cv::LINE_8, 0);
    }
    next.resize(kept);
    points_ = std::move(next);
    if (recording && kept > 0)
      cv::putText(image_, "REC", cv::Point(10, 20), cv::FONT_HERSHEY_PLAIN, 1.0, cv::Scalar(0, 0, 255), 1,
                  cv::LINE_AA);
  }
  if (clickPending_ && points_.size() < static_cast<std::size_t>(kMaxTrackedPoints)) {
    std::vector<cv::Point2f> one{cv::Point2f(static_cast<float>(click_.x), static_cast<float>(click_.y))};
    refine(grey_, one);
    points_.push_back(one[0]);
    clickPending_ = false;
  }
  std::swap(grey_, prevGrey_);
  needToInit_ = false;
}

}  // namespace

std::unique_ptr<FeatureTracker> newFeatureTracker() { return std::make_unique<LucasKanadeTracker>(); }

}  // namespace pravella::media
