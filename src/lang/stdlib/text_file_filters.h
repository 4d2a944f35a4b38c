#pragma once
// Line filters over text files, behind the textFile_ built-ins: each reads its input line by
// line (LF ends a line, CR is dropped, a last line without LF still counts) and writes the
// lines that pass, changed or not, each ended by one LF. Most come in two forms: one writes a
// second file whose name must differ from the input's, the other (SameName) rewrites the
// input. Either way the output is written to a unique temporary file beside it and renamed
// over it only when the whole filter succeeded, so a failure leaves every file as it was.
//
// Names not beginning with "/" are taken inside the working folder. Each routine returns 1, or
// 0 after its messages through error_disp (TextFile_GetNthItem's bad item number excepted).
// A line may hold at most 4095 bytes ("Too Big String").

#include <string_view>

int TextFile_DeleteNullLine(std::string_view input, std::string_view output);
int TextFile_DeleteNullLine_SameName(std::string_view name);

// Each line cut to the bytes first..last (counted from 0, both included); an empty line when
// the line is not longer than first. "Bad area" unless 0 <= first <= last.
int TextFile_SelectArea(std::string_view input, std::string_view output, int first, int last);
int TextFile_SelectArea_SameName(std::string_view name, int first, int last);

// Lines whose number satisfies "number op value", op one of ">", ">=", "<=", "<", "==", "!=".
// The number is read from the bytes first..last (lines not longer than last are dropped) or
// from the n-th item (items are runs of bytes other than space and TAB, counted from 1).
int TextFile_SelectItem_Number(std::string_view input, std::string_view output, std::string_view op,
                               int first, int last, double value);
int TextFile_SelectItem_Number_SameFile(std::string_view name, std::string_view op, int first, int last,
                                        double value);
int TextFile_SelectItem_NthNumber(std::string_view input, std::string_view output, std::string_view op, int n,
                                  double value);
int TextFile_SelectItem_NthNumber_SameFile(std::string_view name, std::string_view op, int n, double value);

// Lines that contain / do not contain the word (bytes, case-sensitive).
int TextFile_SelectItem(std::string_view input, std::string_view output, std::string_view word);
int TextFile_SelectItem_sameName(std::string_view name, std::string_view word);
int TextFile_DeSelectItem(std::string_view input, std::string_view output, std::string_view word);
int TextFile_DeSelectItem_sameName(std::string_view name, std::string_view word);

// Every line, with the first occurrence of the word removed.
int TextFile_DeleteItem(std::string_view input, std::string_view output, std::string_view word);
int TextFile_DeleteItem_sameName(std::string_view name, std::string_view word);

// Every occurrence of the search text replaced (left to right, no overlap); lines that end up
// empty are not written.
int TextFile_ExchangeItem(std::string_view input, std::string_view output, std::string_view search,
                          std::string_view replacement);
int TextFile_ExchangeItem_SameName(std::string_view name, std::string_view search,
                                   std::string_view replacement);

// The chosen white-space-separated words of each line (numbers from 1, in the order given),
// TAB-separated; empty output lines are not written. An item number below 1 fails without a
// message before anything is touched.
int TextFile_GetNthItem(std::string_view input, std::string_view output, const double* items, int count);
int TextFile_GetNthItem_SameName(std::string_view name, const double* items, int count);

// Each distinct non-empty line that ends with LF, once, in order of first appearance, with
// its count: "line TAB count LF".
int TextFile_CountSameString(std::string_view input, std::string_view output);

// Splits the input into pieces named input.001, input.002, ...: each line holding the marker
// word begins the next piece.
int TextFile_Cut(std::string_view input, std::string_view marker);

// Appends the whole input to the output (created when missing).
int TextFile_Cat(std::string_view input, std::string_view output);

// The number of LF bytes in the file.
int textFile_GetLineNumber(std::string_view name, double* count);
