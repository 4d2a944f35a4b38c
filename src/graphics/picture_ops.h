#pragma once
// The picture operations behind the language's operators on pictures: channel arithmetic with
// a colour or another picture, combining two pictures by a transfer mode, joining pictures
// side by side or one above the other, and the colour correction of "gazoHosei". Each returns
// 1 with the new picture's bytes in `out`, or 0.

#include <QByteArray>

#include <cstdint>
#include <functional>

#include "graphics/color_table.h"

// The transfer mode of "x" on two pictures (`OpeMode`, 32 blend at start) and its operation
// colour (`opC`, 32768 in each component) are settings of the language (lang/values.h).

// op is '+', '-', '*' or '/'; each channel with its value v (red, green, blue).
int DoGraphOpeCalc(const QByteArray& picture, char op, double red, double green, double blue, QByteArray& out);
// op '+' or '-' on two pictures of the same size ("Invalid Picture Size" otherwise).
int DoGraphOpeCalc2(const QByteArray& a, const QByteArray& b, char op, QByteArray& out);
// B copied onto A (scaled to A's frame) with OpeMode and opC.
int OpePict(const QByteArray& a, const QByteArray& b, QByteArray& out);

// Levels 0..1 for the blend weights ("Invalid data" otherwise).
int DoBlendLevel(double red, double green, double blue);
// n 1..10 selects the transfer mode ("Invalid data" otherwise).
int DoChangeOpeMode(std::int32_t n);

// The colour correction of one channel: source (height x width reals), height, width,
// target, parameter, mode; returns 1 or 0.
using GazoHoseiRoutine = std::function<int(const double*, int, int, double*, double, int)>;
int DoGazoHosei(const QByteArray& picture, double parameter, int mode, const GazoHoseiRoutine& gazoHosei,
                QByteArray& out);

// Picture 2 at the top left and picture 1 directly to its right (Right) or below it (Below),
// each at its own size.
int DoAddPictureToRight(const QByteArray& picture1, const QByteArray& picture2, QByteArray& out);
int DoAddPictureToBelow(const QByteArray& picture1, const QByteArray& picture2, QByteArray& out);
