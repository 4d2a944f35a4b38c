#pragma once
// Threshold region growing for the segmentation view: the pixels (one slice) or voxels (the
// whole volume) whose values lie between a lower and an upper threshold, passed through a small
// majority filter, and connected to the seed (4 neighbours on a slice, 6 in the volume). Works
// on the image and mask buffers of med_image_files.h; the region is left marked 1 in the mask.

#include <cstdint>

// The geometry and data offset of the file open in the segmentation view.
extern int dataWidth, dataHeight, dataSlice;
extern int DataPos;
// The seed: column, row and slice index (from 0); -1 when none is set.
extern int setPointX, setPointY, setPointZ;
// The threshold step of the view and of the stepping functions.
extern std::int16_t deltaTHNumber;

// The region's pixel count on slice `slice` (from 1), marked in that slice of the mask. With no
// image, or a slice outside the volume, 0 and the mask unchanged.
long long segmentation2DImage(int slice, std::int16_t lower, std::int16_t upper);
// The region's voxel count, marked in the whole mask.
long long segmentation3DImage(std::int16_t lower, std::int16_t upper);

// Grows the region from the seed in one slice of marks (or the whole mask) and leaves only it
// marked. The stack holds voxel indices; growth ends early when it would overflow.
long long getRegion(std::int16_t* maskSlice);
long long getVolumeRegion(std::int16_t* mask);

// Threshold stepping: moves one threshold by deltaTHNumber while the region's count changes by
// no more than `jump` between steps, within lowest..highest; nothing without a seed on the slice.
void highTHRegionUp(int slice, int lowest, int highest, std::int16_t* lower, std::int16_t* upper, int jump,
                    bool volume);
void highTHRegionDown(int slice, int lowest, int highest, std::int16_t* lower, std::int16_t* upper, int jump,
                      bool volume);
void lowTHRegionUp(int slice, int lowest, int highest, std::int16_t* lower, std::int16_t* upper, int jump,
                   bool volume);
void lowTHRegionDown(int slice, int lowest, int highest, std::int16_t* lower, std::int16_t* upper, int jump,
                     bool volume);

// Edits of the image by the region, on the whole volume or on slice `slice` (from 1). Each is
// false when the buffers it needs are not held.
// The image values of the scope copied into the mask.
bool setNowSliceData(bool volume, int slice);
// Image values whose mark is 0 become 0.
bool keepArea(bool volume, int slice);
// Image values and marks whose mark is not 0 become 0.
bool deleteArea(bool volume, int slice);
// Every mark of the volume: 0 becomes 1, anything else 0.
bool invertArea();
// Each value of the scope off the outermost rows and columns of its slice becomes the mean of
// its 3 x 3 neighbourhood on that slice (sum / 9, truncated), from the unsmoothed values.
bool smoothImage(bool volume, int slice);
