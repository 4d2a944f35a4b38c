#pragma once
// The picture cases of the language, ready for its operators and built-in dispatchers: each
// takes the value stack as the language passes it, pops its operands (last first), pushes its
// result and returns 1, or reports and returns 0. The answer -1 means "not a picture case":
// the stack is untouched and the caller goes on with its own cases.

#include <string>

class QByteArray;
struct CalcStackEntry;
struct vk_Code;

// The arithmetic operators "+", "-", "*", "/", "x" and "%" when either operand is a picture
// (picture with picture, or picture with a real of 1 by 1 or 1 by 3), and the postfix "'" on a
// picture.
int vkPictureOperator(const std::string& op, CalcStackEntry* stack, int* sp);

// The same with the operands already taken off the stack (a left, b right): the result is
// pushed at *sp. A pairing that is not a picture case reports the operator's type message.
int vkPictureOperands(char op, const CalcStackEntry& a, const CalcStackEntry& b, CalcStackEntry* stack, int* sp);
int vkPictureTransposed(const CalcStackEntry& a, CalcStackEntry* stack, int* sp);

// What loadPicture reads: the picture of an image or picture file. 1, or 0 after the loader's
// message ("not a picture file" when no reader knows a readable file).
int vkLoadPictureFile(const std::string& path, QByteArray& out);

// The built-ins that take or make pictures: changeCopyBitsMode, copyPicture,
// copyPictureToScrap, densityPlot, flipH, flipHorizontal, flipV, flipVertical (a picture),
// getPictSize, graphBlendLevel, graphOpeMode, graphTitle, loadPicture, pastePictWithPath,
// popRGBColor, save (a picture), saveJPEG, setJpegQuality, smooth (a picture), unixColor.
// `argc` is the call's argument count.
int vkPictureBuiltin(const std::string& name, int argc, CalcStackEntry* stack, int* sp);

// The same as a built-in table entry (the frame arguments of the dispatchers). A call that is
// not a picture case (flipH of a matrix, say) fails with "Invalid arguments.": a dispatcher
// that has its own forms of such a name tries them first and hands pictures on to
// vkPictureBuiltin.
int vkPictureBuiltinEntry(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
