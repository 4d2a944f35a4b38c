#pragma once
// Labelling of 4-connected cells in an image (a row-major matrix of doubles; a pixel is set
// when it is not 0, a not-a-number included). A cell list holds one row per pixel: (row from 1,
// column from 1, label from 1), at most TNumber / 3 rows.

// The flood fill's stack limit: max(maxCellPoint, 2 x rows x cols when the image has more
// pixels than maxCellPoint) positions. 100000 at start.
extern int maxCellPoint;

// Sets maxCellPoint to trunc(n) and returns it.
int setCellStackNumber(double n);
// maxCellPoint as at start (100000), for a fresh language.
void resetCellStackNumber();

// Removes the cell around the seed from the image, appending its pixels to the list from row
// *listCount on and advancing *listCount. The flood fill pops a position, and when its pixel
// is still set clears it, appends it and pushes its set neighbours left, right, up, down.
// Returns 1, or 0 after "Cell Stack Overflow", "Too big cell" or "Can not allocate memory".
int delCell(double* image, double* list, int rows, int cols, int seedRow, int seedCol, int* listCount,
            int label);

// Labels every cell (1, 2, ... in row order of their first pixel), clearing the image. The out
// sizes are the list count and 3. 0 after "no cell" when no pixel is set, or after delCell's
// message (the cells removed so far stay cleared).
int doCell(double* image, double* list, int rows, int cols, int* outRows, int* outCols);

// The labelling of doCell without its report, for callers that are not a program (a window
// logs instead): 1, or 0 with doCell's message in *failure. A program's labelling (doCell)
// answers the held button between rows with the break message; a window's must not wait on it.
int labelCells(double* image, double* list, int rows, int cols, int* outRows, int* outCols,
               const char** failure, bool answersBreak = false);

// The pixels of the largest cell (the lowest label on a tie), at the start of the list.
// 0 after doCell's message or "no cell area".
int getMaxCell(double* image, double* list, int rows, int cols, int* outRows, int* outCols);
