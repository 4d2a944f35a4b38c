#pragma once
// The built-in's active contour: fits a snake (in the media module) to a picture and draws it
// over the picture's grey version.

#include <cstddef>

#include "graphics/picture.h"

// Fits a snake to the picture from the n points (x, y pairs, truncated towards zero) with the
// weights alpha, beta, gamma, and records the picture's grey version with the fitted contour in
// red (2 pixels, closed). Returns 1, or 0 with "Invalid arguments." when the picture's bytes
// are refused (or with the reason when the media module cannot be loaded).
int DoRinkaku_cv(const void* bytes, std::size_t length, const double* points, int n,
                 pravella::Picture& picture, const double* weights);
