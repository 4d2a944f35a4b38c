#pragma once
// Picture values and OpenCV images meet here: an image of 8-bit blue-green-red pixels becomes
// a picture by pixel recording (the graph titles are stamped on it and copyBitsMode applies),
// and a picture becomes such an image by drawing it over white.

#include <opencv2/core.hpp>

#include <cstddef>

#include "graphics/picture.h"

// 1 with the image recorded into `picture`; 0 when the image has not exactly 3 channels of
// 8 bits (signed or unsigned) or no off-screen world can be made.
int IplImage2pict(const cv::Mat& image, pravella::Picture& picture);

// A new 8-bit 3-channel image of the picture's frame size, filled with the picture drawn over
// white. 0 (and an empty image) when the picture's bytes are refused.
int pictData2IplImage(const void* bytes, std::size_t length, cv::Mat& image);
