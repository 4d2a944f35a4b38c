#pragma once
// Routines that treat a matrix of doubles as an image (row-major, rows x cols): windowed
// statistics, the outlier correction, the Laplacian and kernel sums (the elliptic mask is in
// ellipse_mask.h). A window of half-width k is the (2k + 1) x (2k + 1) square centred on a
// pixel.

// Mean, standard deviation (population) and correlation coefficient over the window clipped
// to the image. Each returns 1, or 0 with the break message when the break test ends it.
int doImageMean(const double* image, int rows, int cols, int k, double* out);
int doImageSD(const double* image, int rows, int cols, int k, double* out);
// A window in which either image is flat has no correlation; it gives 0.
int doImageCorrelationAB(const double* a, const double* b, int rows, int cols, int k, double* out);

// Outlier correction: passes over the image, each replacing a pixel that lies more than f
// standard deviations from its window's mean by the mean of the window's inliers (the window
// shifted to stay inside the image), until a pass corrects nothing. `image` holds the result,
// `work` (rows x cols) is scratch. 0 without a message for rows or cols below 3 or f below 1;
// 0 with the break message when the break test ends it. A half-width past the image's side
// covers the whole image.
int gazoHosei(double* image, int rows, int cols, double* work, double f, int k);

// 0 on the border; inside, pixel - (up + down + left + right) / 4. Needs rows, cols > 2.
int DoLaplace(const double* image, int rows, int cols, double* out);

// out[r][c] = the sum over the k x k kernel (k odd) of image x kernel, taps outside the
// image left out.
int DoGraphProcessNumMatrix(const double* image, int rows, int cols, const double* kernel, int k,
                            double* out);
