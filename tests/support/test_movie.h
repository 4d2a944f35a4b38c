#pragma once
// Movies the tests write with OpenCV: MJPG in AVI at a given frame rate. Frame k is a uniform
// grey level greyOf(k) with a white 16 by 16 square at the top-left (JPEG keeps both exact
// enough: the square fills whole blocks).

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include <array>

namespace pravella::test {

inline int greyOf(int k) { return (20 + 20 * k) % 240; }

inline bool writeGreyMovie(const QString& path, int frames, int width = 64, int height = 48,
                           double fps = 10) {
  cv::VideoWriter writer(path.toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), fps,
                         cv::Size(width, height), true);
  if (!writer.isOpened()) return false;
  for (int k = 0; k < frames; ++k) {
    cv::Mat frame(height, width, CV_8UC3, cv::Scalar::all(greyOf(k)));
    frame(cv::Rect(0, 0, 16, 16)).setTo(cv::Scalar::all(255));
    writer.write(frame);
  }
  writer.release();
  return true;
}

// Frames of one dark grey with a white band 16 pixels wide down the right edge and a white
// 16 by 16 square at the top-left: a view that cuts the frame loses one of them.
inline bool writeEdgedMovie(const QString& path, int frames, int width, int height, double fps = 10) {
  cv::VideoWriter writer(path.toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), fps,
                         cv::Size(width, height), true);
  if (!writer.isOpened()) return false;
  cv::Mat frame(height, width, CV_8UC3, cv::Scalar::all(40));
  frame(cv::Rect(0, 0, 16, 16)).setTo(cv::Scalar::all(255));
  frame(cv::Rect(width - 16, 0, 16, height)).setTo(cv::Scalar::all(255));
  for (int k = 0; k < frames; ++k) writer.write(frame);
  writer.release();
  return true;
}

// Encodes raw RGB frames of width x height (`raw`, frame after frame) with ffmpeg at 10 frames
// a second: `codec` in `pixelFormat`, `extra` before the output. False when ffmpeg fails.
inline bool encodeRawMovie(const QString& path, const QByteArray& raw, int width, int height,
                           const QString& codec, const QString& pixelFormat, const QStringList& extra) {
  QTemporaryFile input;
  if (!input.open()) return false;
  input.write(raw);
  input.flush();
  QProcess ffmpeg;
  QStringList args{"-v",
                   "error",
                   "-y",
                   "-f",
                   "rawvideo",
                   "-pix_fmt",
                   "rgb24",
                   "-s",
                   QStringLiteral("%1x%2").arg(width).arg(height),
                   "-r",
                   "10",
                   "-i",
                   input.fileName(),
                   "-c:v",
                   codec,
                   "-pix_fmt",
                   pixelFormat};
  if (codec == QLatin1String("mjpeg"))
    args << "-q:v"
         << "2";
  args << extra << path;
  ffmpeg.start("ffmpeg", args);
  return ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit &&
         ffmpeg.exitCode() == 0 && QFile::exists(path);
}

// A movie of `frames` uniform frames of 64 by 48, frame k at grey level greyOf(k), encoded by
// ffmpeg (see encodeRawMovie).
inline bool writeGreySequenceMovie(const QString& path, const QString& codec, const QString& pixelFormat,
                                   int frames, const QStringList& extra = {}) {
  QByteArray raw;
  for (int k = 0; k < frames; ++k) raw.append(QByteArray(64 * 48 * 3, static_cast<char>(greyOf(k))));
  return encodeRawMovie(path, raw, 64, 48, codec, pixelFormat, extra);
}

// The four colours of writeQuadrantMovie's frames, top-left, top-right, bottom-left and
// bottom-right (R, G, B): far apart in hue and brightness, none at the ends of the range.
inline const std::array<std::array<int, 3>, 4> kQuadrantColours{
    {{200, 40, 50}, {40, 180, 80}, {50, 60, 200}, {220, 200, 100}}};

// A movie of `frames` frames of width x height split into four quadrants of kQuadrantColours,
// encoded by ffmpeg with `codec` in `pixelFormat` ("yuvj444p", "bgr0", ...) at 10 frames a
// second. `extra` goes before the output (a sample aspect ratio, say). False when ffmpeg fails.
inline bool writeQuadrantMovie(const QString& path, const QString& codec, const QString& pixelFormat,
                               int width, int height, int frames = 3, const QStringList& extra = {}) {
  QByteArray raw;
  raw.reserve(width * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const auto& c = kQuadrantColours[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
      for (int v : c) raw.append(static_cast<char>(v));
    }
  return encodeRawMovie(path, raw.repeated(frames), width, height, codec, pixelFormat, extra);
}

}  // namespace pravella::test
