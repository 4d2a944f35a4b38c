#pragma once
// Thinning of the pixels above 0 of an image (row-major doubles) to a skeleton one pixel
// wide that keeps the 8-connected shape; border pixels are left as they are.

// `image` (rows x cols) becomes 1.0 on the skeleton and 0.0 elsewhere; `work` holds
// rows x cols bytes. Returns 1, or 0 after the break message when the held button stopped it.
int thin8y(double* image, unsigned char* work, int rows, int cols);
