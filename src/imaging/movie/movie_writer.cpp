#include "imaging/movie/movie_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryFile>

#include <cstdio>
#include <cstring>
#include <memory>

#include "imaging/movie/movie_document.h"

namespace pravella::movie {

namespace {

QByteArray jpegOf(const MovieDocument& movie, int i, int quality) {
  const MovieDocument::FrameRef& ref = movie.frameRef(i);
  QByteArray bytes = ref.source->jpegBytes(ref.index);
  if (!bytes.isEmpty()) return bytes;
  const QImage image = ref.source->frame(ref.index);
  if (image.isNull()) return {};
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(quality);
  if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) return {};
  return bytes;
}

struct OutputCloser {
  void operator()(AVFormatContext* c) const {
    if (c->pb) avio_closep(&c->pb);
    avformat_free_context(c);
  }
};

bool mux(const MovieDocument& movie, const QString& path, int quality, QString* why) {
  auto fail = [why](const QString& reason) {
    if (why) *why = reason;
    return false;
  };
  const QByteArray local = QFile::encodeName(path);
  AVFormatContext* raw = nullptr;
  // QuickTime whatever the name says.
  if (avformat_alloc_output_context2(&raw, nullptr, "mov", local.constData()) < 0 || !raw)
    return fail(QStringLiteral("no QuickTime writer"));
  std::unique_ptr<AVFormatContext, OutputCloser> out(raw);
  AVStream* stream = avformat_new_stream(raw, nullptr);
  if (!stream) return fail(QStringLiteral("no stream"));
  const QSize size = movie.naturalSize();
  stream->time_base = AVRational{1, kMovieTimeScale};
  stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
  stream->codecpar->codec_id = AV_CODEC_ID_MJPEG;
  stream->codecpar->codec_tag = 0;
  stream->codecpar->width = size.width();
  stream->codecpar->height = size.height();
  if (avio_open(&raw->pb, local.constData(), AVIO_FLAG_WRITE) < 0)
    return fail(QStringLiteral("cannot write the file"));
  AVDictionary* options = nullptr;
  av_dict_set(&options, "video_track_timescale", "600", 0);
  const int header = avformat_write_header(raw, &options);
  av_dict_free(&options);
  if (header < 0) return fail(QStringLiteral("cannot write the header"));

  AVPacket* packet = av_packet_alloc();
  bool ok = true;
  for (int i = 0; i < movie.frameCount() && ok; ++i) {
    QByteArray jpeg = jpegOf(movie, i, quality);
    if (jpeg.isEmpty()) {
      ok = fail(QStringLiteral("a frame does not encode"));
      break;
    }
    if (av_new_packet(packet, static_cast<int>(jpeg.size())) < 0) {
      ok = fail(QStringLiteral("out of memory"));
      break;
    }
    memcpy(packet->data, jpeg.constData(), static_cast<std::size_t>(jpeg.size()));
    packet->stream_index = stream->index;
    packet->flags |= AV_PKT_FLAG_KEY;
    // The muxer may have chosen its own time base; our units are 1/600 s.
    packet->pts = packet->dts =
        av_rescale_q(movie.frameStart(i), AVRational{1, kMovieTimeScale}, stream->time_base);
    packet->duration =
        av_rescale_q(movie.frameDuration(i), AVRational{1, kMovieTimeScale}, stream->time_base);
    if (av_interleaved_write_frame(raw, packet) < 0) ok = fail(QStringLiteral("cannot write a frame"));
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  if (av_write_trailer(raw) < 0 && ok) ok = fail(QStringLiteral("cannot finish the file"));
  return ok;
}

}  // namespace

bool writeJpegMovie(const MovieDocument& movie, const QString& path, int jpegQuality, QString* why) {
  if (movie.isEmpty()) {
    if (why) *why = QStringLiteral("the movie has no frames");
    return false;
  }
  const QFileInfo target(path);
  QString temporary;
  {
    // Only for a unique name beside the target; the muxer writes the file itself.
    QTemporaryFile name(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!name.open()) {
      if (why) *why = QStringLiteral("cannot write in ") + target.absolutePath();
      return false;
    }
    temporary = name.fileName();
    name.setAutoRemove(false);
  }
  if (!mux(movie, temporary, jpegQuality, why)) {
    QFile::remove(temporary);
    return false;
  }
  // rename(2) replaces the old file in one step.
  if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
    QFile::remove(temporary);
    if (why) *why = QStringLiteral("cannot rename onto ") + path;
    return false;
  }
  return true;
}

}  // namespace pravella::movie
