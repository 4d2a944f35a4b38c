#include "imaging/media_module.h"
#include "imaging/movie/movie_source.h"

namespace pravella::movie {

// libav is the media module's: a movie file is the first thing that loads it.
MovieSourcePtr openMovieFileSource(const QString& path, QString* why) {
  const media::MediaFunctions* module = media::mediaFunctions(why);
  return module ? module->openMovieFile(path, why) : nullptr;
}

}  // namespace pravella::movie
