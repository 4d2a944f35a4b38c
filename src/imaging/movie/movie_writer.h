#pragma once
// Writes a movie of JPEG frames as one self-contained QuickTime file: the JPEG bytes go in
// unchanged as MJPEG packets, each as long as its frame, at time scale 600. Frames that are
// not stored as JPEG are encoded at the given quality first. The file is written under a
// temporary name beside the target and renamed over it, so a failed save leaves any old file.

#include <QString>

namespace pravella::movie {

class MovieDocument;

// True on success; false with the reason in `why`, a sentence that names the file
// ("Cannot save "…": File too large").
bool writeJpegMovie(const MovieDocument& movie, const QString& path, int jpegQuality, QString* why = nullptr);

}  // namespace pravella::movie
