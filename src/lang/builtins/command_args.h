#pragma once
// Argument pops and payload fields of the application commands, shared by the command forms
// and the commands the bridge carries out itself. Each pop takes the top value (the last
// argument) through the scratch buffer vk_ta and copies what it needs out of it, so that an
// observer's nested run may reuse the buffer. A wrong value reports "Invalid arguments.";
// values already popped stay popped.

#include <QByteArray>

#include <string>
#include <vector>

#include "lang/values.h"

namespace pravella::bridge {

// Reports "Invalid arguments." and returns false.
bool invalidArguments();

// A 1 x 1 real.
bool popNumber(CalcStackEntry* stack, int* sp, double& out);
// Any real matrix (shape not tested).
bool popRealAnyShape(CalcStackEntry* stack, int* sp);
// A real matrix of 1 row and k columns.
bool popRow(CalcStackEntry* stack, int* sp, int k, std::vector<double>& out);
// A string (type 5).
bool popString(CalcStackEntry* stack, int* sp, std::string& out);
// A string; or any other value whose first stored byte is 0, which counts as the empty text
// (for a number that is its double's lowest-order byte: 0 for 0 and for every whole number
// of magnitude below 2^45).
bool popTextOrNone(CalcStackEntry* stack, int* sp, std::string& out);
// A picture (type 20).
bool popPicture(CalcStackEntry* stack, int* sp, QByteArray& out);

// One value that may be a string or a 1 x 1 real.
struct StringOrNumber {
  bool isString = false;
  std::string text;
  double number = 0.0;
};
bool popStringOrNumber(CalcStackEntry* stack, int* sp, StringOrNumber& out);

// The "%ld" field of a number: truncated toward zero; out-of-range values saturate and NaN
// gives 0, where a plain conversion would be undefined.
long truncToLong(double value);
std::string fieldLong(double value);  // "%ld"
std::string fieldReal(double value);  // "%g"

}  // namespace pravella::bridge
