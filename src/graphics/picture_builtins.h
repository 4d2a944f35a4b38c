#pragma once
// The picture cases of the language, ready for its operators and built-in dispatchers: each
// takes the value stack as the language passes it, pops its operands (last first), pushes its
// result and returns 1, or reports and returns 0. The answer -1 means "not a picture case":
// the stack is untouched and the caller goes on with its own cases.

#include <QByteArray>

#include <string>

struct CalcStackEntry;

// The arithmetic operators "+", "-", "*", "/", "x" and "%" when either operand is a picture
// (picture with picture, or picture with a real of 1 by 1 or 1 by 3), and the postfix "'" on a
// picture.
int vkPictureOperator(const std::string& op, CalcStackEntry* stack, int* sp);

// The built-ins that take or make pictures: changeCopyBitsMode, copyPicture,
// copyPictureToScrap, densityPlot, flipH, flipHorizontal, flipV, flipVertical (a picture),
// getPictSize, graphBlendLevel, graphOpeMode, graphTitle, loadPicture, pastePictWithPath,
// popRGBColor, save (a picture), saveJPEG, setJpegQuality, smooth (a picture), unixColor.
// `argc` is the call's argument count.
int vkPictureBuiltin(const std::string& name, int argc, CalcStackEntry* stack, int* sp);

namespace pravella {

// Writes `comment` into a JPEG file's data as a comment segment right after the start marker.
QByteArray withJpegComment(const QByteArray& jpeg, const std::string& comment);

}  // namespace pravella
