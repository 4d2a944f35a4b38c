#pragma once
// Movie files read and written with libavformat and libavcodec.

#include <QString>

#include "imaging/media_module.h"

namespace pravella::media {

// A movie file through libavformat: any file with a video stream it can open and decode. Null,
// with the reason in `why`, when the file is not such a movie. Sound is left alone.
movie::MovieSourcePtr openLibavSource(const QString& path, QString* why);

// The frames as one QuickTime file of MJPEG packets at time scale 600, written to `path`
// as it is (the caller writes to a temporary name and renames).
bool muxJpegMovie(const JpegMovieFrames& frames, const QString& path, QString* why);

}  // namespace pravella::media
