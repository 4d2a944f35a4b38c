// A movie file decoded with libavformat and libavcodec. Opening reads the packet index of the
// video stream once (presentation times and key frames), so that any frame can be decoded
// exactly: seek to the key frame at or before it and decode forward. Playing and capturing in
// order go on decoding from where the last frame ended, without seeking.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "imaging/media/libav.h"

namespace pravella::media {

using movie::kMovieTimeScale;
using movie::MovieSource;
using movie::MovieSourcePtr;

namespace {

struct FormatCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecCloser {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScaleFree {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};

// Rows of a converted picture begin at multiples of this, and this much follows the last.
constexpr qsizetype kRowAlign = 128;
constexpr qsizetype kTailRoom = 256;

void quietLibav() {
  // libav's own chatter (deprecated pixel formats, probing) is not the user's concern.
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

class LibavSource : public MovieSource {
 public:
  bool open(const QString& path, QString* why);

  int frameCount() const override { return static_cast<int>(pts_.size()); }
  std::int64_t frameDuration(int index) const override { return durations_[index]; }
  QSize naturalSize() const override { return size_; }
  std::int64_t firstFrameMicroseconds() const override { return firstUs_; }
  QImage frame(int index) override;

 private:
  bool seekTo(int index);
  // Back to the very start of the file, for containers whose seeks land past the key frame
  // asked for.
  bool rewind();
  // Decodes until the frame of presentation time `pts` comes out; false at the end.
  bool decodeUntil(std::int64_t pts);
  QImage convert(const AVFrame* f);
  void matchColours(const AVFrame* f);
  int indexOfPts(std::int64_t pts) const;

  std::unique_ptr<AVFormatContext, FormatCloser> format_;
  std::unique_ptr<AVCodecContext, CodecCloser> codec_;
  std::unique_ptr<AVFrame, FrameFree> decoded_{av_frame_alloc()};
  std::unique_ptr<AVPacket, PacketFree> packet_{av_packet_alloc()};
  std::unique_ptr<SwsContext, ScaleFree> scale_;
  int stream_ = -1;
  QSize size_;
  std::vector<std::int64_t> pts_;  // ascending presentation times, stream time base
  std::vector<char> key_;
  std::vector<std::int64_t> durations_;
  std::int64_t firstUs_ = 0;
  bool overshot_ = false;  // the frame decodeUntil gave last is later than the one asked for
  int lastDecoded_ = -1;   // the index of the frame the decoder gave last; -1 after a seek
  bool drained_ = false;
  int cachedIndex_ = -1;
  QImage cached_;
};

bool LibavSource::open(const QString& path, QString* why) {
  quietLibav();
  auto fail = [why](const QString& reason) {
    if (why) *why = reason;
    return false;
  };
  if (!QFile::exists(path)) return fail(QStringLiteral("no such file"));
  AVFormatContext* raw = nullptr;
  const QByteArray local = QFile::encodeName(path);
  if (avformat_open_input(&raw, local.constData(), nullptr, nullptr) < 0)
    return fail(QStringLiteral("not a movie"));
  format_.reset(raw);
  if (avformat_find_stream_info(raw, nullptr) < 0) return fail(QStringLiteral("not a movie"));
  const AVCodec* decoder = nullptr;
  stream_ = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (stream_ < 0 || !decoder) return fail(QStringLiteral("no video stream"));
  AVStream* stream = raw->streams[stream_];
  if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) return fail(QStringLiteral("no video stream"));
  codec_.reset(avcodec_alloc_context3(decoder));
  if (!codec_ || avcodec_parameters_to_context(codec_.get(), stream->codecpar) < 0)
    return fail(QStringLiteral("no decoder"));
  codec_->thread_count = 0;
  if (avcodec_open2(codec_.get(), decoder, nullptr) < 0) return fail(QStringLiteral("no decoder"));
  size_ = QSize(codec_->width, codec_->height);
  if (size_.isEmpty()) return fail(QStringLiteral("no picture size"));
  // Pixels that are not square (a sample aspect ratio) show at the width they stand for.
  const AVRational sar = av_guess_sample_aspect_ratio(raw, stream, nullptr);
  if (sar.num > 0 && sar.den > 0 && sar.num != sar.den) {
    const double shown = std::round(size_.width() * av_q2d(sar));
    if (shown >= 1 && shown <= 16.0 * size_.width() && shown <= 32768)
      size_.setWidth(static_cast<int>(shown));
  }
  for (int i = 0; i < static_cast<int>(raw->nb_streams); ++i)
    if (i != stream_) raw->streams[i]->discard = AVDISCARD_ALL;

  // The index: one entry per packet of the stream, sorted into presentation order.
  struct Entry {
    std::int64_t pts;
    std::int64_t duration;
    bool key;
  };
  std::vector<Entry> entries;
  std::int64_t nextDts = 0;
  while (av_read_frame(raw, packet_.get()) >= 0) {
    if (packet_->stream_index == stream_) {
      std::int64_t pts = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
      if (pts == AV_NOPTS_VALUE) pts = nextDts;
      nextDts = pts + std::max<std::int64_t>(packet_->duration, 1);
      entries.push_back({pts, packet_->duration, (packet_->flags & AV_PKT_FLAG_KEY) != 0});
    }
    av_packet_unref(packet_.get());
  }
  if (entries.empty()) return fail(QStringLiteral("no frames"));
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.pts < b.pts; });
  entries.front().key = true;  // decoding always starts somewhere

  const AVRational tb = stream->time_base;
  const std::int64_t first = entries.front().pts;
  firstUs_ = av_rescale_q(first, tb, AVRational{1, 1000000});
  auto units = [&](std::int64_t ticks) {
    // Frame times rounded to whole 1/600 s.
    return av_rescale_q_rnd(ticks, tb, AVRational{1, kMovieTimeScale},
                            static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
  };
  std::vector<std::int64_t> starts;
  for (const Entry& e : entries) {
    pts_.push_back(e.pts);
    key_.push_back(e.key ? 1 : 0);
    starts.push_back(units(e.pts - first));
  }
  // The last frame lasts its packet's duration, else the stream's frame period.
  std::int64_t lastDuration = entries.back().duration > 0 ? units(entries.back().duration) : 0;
  if (lastDuration <= 0) {
    const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    lastDuration = rate.num > 0 ? av_rescale(kMovieTimeScale, rate.den, rate.num) : 0;
  }
  if (lastDuration <= 0 && starts.size() > 1)
    lastDuration = starts.back() / static_cast<std::int64_t>(starts.size() - 1);
  if (lastDuration <= 0) lastDuration = kMovieTimeScale / 10;
  for (std::size_t i = 0; i < starts.size(); ++i)
    durations_.push_back(i + 1 < starts.size() ? starts[i + 1] - starts[i] : lastDuration);

  // Back to the start, and prove that the first frame decodes: a file whose stream only
  // looks like video is no movie.
  lastDecoded_ = -1;
  cached_ = frame(0);
  return !cached_.isNull() || fail(QStringLiteral("the frames do not decode"));
}

int LibavSource::indexOfPts(std::int64_t pts) const {
  auto it = std::lower_bound(pts_.begin(), pts_.end(), pts);
  if (it == pts_.end()) return -1;
  return static_cast<int>(it - pts_.begin());
}

bool LibavSource::seekTo(int index) {
  int key = index;
  while (key > 0 && !key_[key]) --key;
  if (av_seek_frame(format_.get(), stream_, pts_[key], AVSEEK_FLAG_BACKWARD) < 0 &&
      av_seek_frame(format_.get(), stream_, pts_[key], AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
    return false;
  avcodec_flush_buffers(codec_.get());
  lastDecoded_ = -1;
  drained_ = false;
  return true;
}

bool LibavSource::rewind() {
  if (av_seek_frame(format_.get(), -1, 0, AVSEEK_FLAG_BYTE) < 0 &&
      avformat_seek_file(format_.get(), stream_, INT64_MIN, pts_.front(), pts_.front(), 0) < 0)
    return false;
  avcodec_flush_buffers(codec_.get());
  lastDecoded_ = -1;
  drained_ = false;
  return true;
}

bool LibavSource::decodeUntil(std::int64_t pts) {
  overshot_ = false;
  for (;;) {
    int r = avcodec_receive_frame(codec_.get(), decoded_.get());
    if (r == 0) {
      std::int64_t got = decoded_->best_effort_timestamp;
      if (got == AV_NOPTS_VALUE) got = decoded_->pts;
      const int index = got == AV_NOPTS_VALUE ? lastDecoded_ + 1 : indexOfPts(got);
      lastDecoded_ = index;
      if (index >= 0 && pts_[index] >= pts) {
        overshot_ = pts_[index] > pts;
        return true;
      }
      continue;
    }
    if (r == AVERROR_EOF) return false;
    if (r != AVERROR(EAGAIN)) return false;
    if (drained_) return false;
    r = av_read_frame(format_.get(), packet_.get());
    if (r < 0) {
      avcodec_send_packet(codec_.get(), nullptr);
      drained_ = true;
      continue;
    }
    if (packet_->stream_index == stream_) avcodec_send_packet(codec_.get(), packet_.get());
    av_packet_unref(packet_.get());
  }
}

void LibavSource::matchColours(const AVFrame* f) {
  // The frame's own colour matrix and range: swscale otherwise takes every YUV frame for
  // BT.601 video range, which tints BT.709 movies and washes out full-range ones whose pixel
  // format does not say so (only the "yuvj" formats do).
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(f->format));
  if (!desc || (desc->flags & AV_PIX_FMT_FLAG_RGB) || desc->nb_components < 3) return;
  int* inTable = nullptr;
  int* outTable = nullptr;
  int inFull = 0, outFull = 0, brightness = 0, contrast = 0, saturation = 0;
  if (sws_getColorspaceDetails(scale_.get(), &inTable, &inFull, &outTable, &outFull, &brightness, &contrast,
                               &saturation) < 0)
    return;
  const bool jpegFormat = std::strncmp(desc->name, "yuvj", 4) == 0;
  const int full = (f->color_range == AVCOL_RANGE_JPEG || jpegFormat) ? 1 : 0;
  int space = f->colorspace;
  if (space == AVCOL_SPC_UNSPECIFIED || space == AVCOL_SPC_RGB || space == AVCOL_SPC_RESERVED)
    space = SWS_CS_DEFAULT;
  sws_setColorspaceDetails(scale_.get(), sws_getCoefficients(space), full, outTable, outFull, brightness,
                           contrast, saturation);
}

QImage LibavSource::convert(const AVFrame* f) {
  if (f->width <= 0 || f->height <= 0) return {};
  scale_.reset(sws_getCachedContext(scale_.release(), f->width, f->height,
                                    static_cast<AVPixelFormat>(f->format), size_.width(), size_.height(),
                                    AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
  if (!scale_) return {};
  matchColours(f);
  // Format_RGB32 is 0xffRRGGBB per pixel: B, G, R, A in memory on the little-endian machines
  // we build for.
  // swscale writes its rows in blocks of pixels, past the end of a row whose width is not a
  // multiple of them: a tightly packed picture of such a width lost the heap after its end.
  // Rows of whole blocks, and room after the last.
  const qsizetype stride =
      (static_cast<qsizetype>(size_.width()) * 4 + kRowAlign - 1) / kRowAlign * kRowAlign;
  auto* bits = static_cast<std::uint8_t*>(av_malloc(stride * size_.height() + kTailRoom));
  if (!bits) return {};
  QImage image(bits, size_.width(), size_.height(), stride, QImage::Format_RGB32, av_free, bits);
  std::uint8_t* dst[4] = {bits, nullptr, nullptr, nullptr};
  int dstStride[4] = {static_cast<int>(stride), 0, 0, 0};
  sws_scale(scale_.get(), f->data, f->linesize, 0, f->height, dst, dstStride);
  return image;
}

QImage LibavSource::frame(int index) {
  if (index < 0 || index >= frameCount()) return {};
  if (index == cachedIndex_) return cached_;
  // Ahead of the decoder, with no key frame beyond the next one to jump to: keep decoding
  // (for intra-only movies every frame is a key frame, and the next one is simply read on).
  int key = index;
  while (key > 0 && !key_[key]) --key;
  const bool forward = lastDecoded_ >= 0 && index > lastDecoded_ && key <= lastDecoded_ + 1 && !drained_;
  if (!forward && !seekTo(index)) return {};
  if (!decodeUntil(pts_[index]) || overshot_) {
    // A seek that landed past the frame (a transport stream seeks by byte estimates, and its
    // key frames are not marked), or a decoder that dropped frames after one: once more
    // from the start of the file. Where even that skips the frame, the next one shows.
    const bool gotLater = overshot_;
    if (!rewind() || !decodeUntil(pts_[index])) {
      if (!gotLater || !seekTo(index) || !decodeUntil(pts_[index])) return {};
    }
  }
  cached_ = convert(decoded_.get());
  cachedIndex_ = cached_.isNull() ? -1 : index;
  return cached_;
}

}  // namespace

MovieSourcePtr openLibavSource(const QString& path, QString* why) {
  auto source = std::make_shared<LibavSource>();
  if (!source->open(path, why)) return nullptr;
  return source;
}

}  // namespace pravella::media
