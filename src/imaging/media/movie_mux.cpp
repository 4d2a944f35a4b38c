extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
}

#include <QFile>

#include <cstring>
#include <memory>

#include "imaging/media/libav.h"

namespace pravella::media {

namespace {

using movie::kMovieTimeScale;

struct OutputCloser {
  void operator()(AVFormatContext* c) const {
    if (c->pb) avio_closep(&c->pb);
    avformat_free_context(c);
  }
};

// The library's text for a failure code: for a refused write the system's own reason, such as
// "File too large" or "No space left on device", which tells the user what to do.
QString reasonOf(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return QString::fromLocal8Bit(text);
}

}  // namespace

bool muxJpegMovie(const JpegMovieFrames& frames, const QString& path, QString* why) {
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
  stream->time_base = AVRational{1, kMovieTimeScale};
  stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
  stream->codecpar->codec_id = AV_CODEC_ID_MJPEG;
  stream->codecpar->codec_tag = 0;
  stream->codecpar->width = frames.size.width();
  stream->codecpar->height = frames.size.height();
  if (const int opened = avio_open(&raw->pb, local.constData(), AVIO_FLAG_WRITE); opened < 0)
    return fail(reasonOf(opened));
  AVDictionary* options = nullptr;
  av_dict_set(&options, "video_track_timescale", "600", 0);
  const int header = avformat_write_header(raw, &options);
  av_dict_free(&options);
  if (header < 0) return fail(reasonOf(header));

  AVPacket* packet = av_packet_alloc();
  bool ok = true;
  for (int i = 0; i < frames.count && ok; ++i) {
    QByteArray jpeg = frames.jpeg(i);
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
        av_rescale_q(frames.start(i), AVRational{1, kMovieTimeScale}, stream->time_base);
    packet->duration = av_rescale_q(frames.duration(i), AVRational{1, kMovieTimeScale}, stream->time_base);
    if (const int written = av_interleaved_write_frame(raw, packet); written < 0)
      ok = fail(reasonOf(written));
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  if (const int trailer = av_write_trailer(raw); trailer < 0 && ok) ok = fail(reasonOf(trailer));
  // Closing writes what the buffer still holds: its failure is the save's too.
  if (const int closed = avio_closep(&raw->pb); closed < 0 && ok) ok = fail(reasonOf(closed));
  return ok;
}

}  // namespace pravella::media
