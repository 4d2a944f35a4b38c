#pragma once
// Medical volume files of five kinds: recognition with their geometry (width, height, slices,
// data offset), and the signed 16-bit pixels loaded into the image and mask buffers that the
// viewers share. Files are plain paths. A reader accepts a file only when its geometry lies
// wholly inside it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The kind of the file last recognised: 1 TOVIMED, 2 ACR-NEMA, 3 H4, 4 volume data file,
// 5 old PET. A failed recognition leaves it as it was.
extern int medFileType;

// The image buffer (width x height x slices values, slice after slice, row after row) and the
// mask buffer of the same size (0 or 1 per pixel); empty when nothing is loaded.
extern std::vector<std::int16_t> imageSGData;
extern std::vector<std::int16_t> imageSGBUData;

// The five readers try the kinds in this order; the first that accepts the file decides.
// Each gives 1 with the four outputs set, or 0.
int checkMedImageFile(const std::string& path, int* width, int* height, int* slices, int* offset);
int Get_vkVol_Param(const std::string& path, int* width, int* height, int* slices, int* offset);
int GetPACS_Param(const std::string& path, int* width, int* height, int* slices, int* offset);
int GetDVParam(const std::string& path, int* width, int* height, int* slices, int* offset);
int Get_H4_Param(const std::string& path, int* width, int* height, int* slices, int* offset);
int Get_OldPET_Param(const std::string& path, int* width, int* height, int* slices, int* offset);

// The byte position of an element's value in an ACR-NEMA file, walking from offset 0; 0 and
// -1 when it is absent or the file cannot be opened.
int DoACR_nema_param(const std::string& path, std::uint16_t group, std::uint16_t element,
                     long long* position);

// Reads *count bytes; with ByteOrderBigEndian set and an element size of 2, 4 or 8 the bytes
// of each element are reversed. 0 on success; *count gets the bytes read.
int ByteOrder_FSRead(std::FILE* file, std::size_t* count, void* buffer, int elementSize);

// Loads the whole pixel block into the image buffer, zeroes the mask and gives the largest and
// smallest value. A failure releases both buffers.
int getMaxMinAndData(const std::string& path, int width, int height, int slices, int offset, float* maximum,
                     float* minimum);
// Reads slice `slice` (from 1) back from the file into the image buffer.
int getImageDataAtSlice(const std::string& path, int width, int height, int slices, int offset, int slice);
// Writes a copy of `source` to `destination` with the pixel block replaced by `data` (as held in
// memory). 1 when the whole file was written; nothing is written when the source is too short.
int saveImageData(const std::string& source, const std::string& destination, const std::int16_t* data,
                  int width, int height, int slices, int offset);
