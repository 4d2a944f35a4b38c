#pragma once
// Data elements of ACR-NEMA and DICOM files: a walk over the element records (group, element,
// 32-bit value length, value), a listing of every record, the look-up of one element and the
// voxel size that the image viewers read from two private and standard elements. The header
// fields are little-endian, or big-endian when ByteOrderBigEndian is set.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Where a record's value lies and how long it is.
struct AcrElementPlace {
  long long valuePosition = -1;  // the record's position + 8
  std::uint32_t length = 0;
};

// Walks the records of an open file from `start` for (group, element). A group-length element
// (element 0 of length 4) of another group skips the rest of that group. The walk always
// advances and ends at the end of the file. True when found.
bool findAcrElement(std::FILE* file, long long start, std::uint16_t group, std::uint16_t element,
                    AcrElementPlace& place);

// Where the records of a file begin: 136 when "DICM" stands at 128 (behind the preamble), else 0.
long long acrRecordsStart(std::FILE* file);

// Files whose records are not in the form above: a DICOM file of the standard's file format
// whose transfer syntax is not implicit VR little endian (explicit VR or compressed), or a
// stream whose first record carries a value representation. Empty when the file is not one of
// them (or cannot be read); otherwise what it is, e.g. "DICOM explicit VR little endian".
std::string unreadDicomKind(std::FILE* file);
std::string unreadDicomKind(const std::string& path);
// The message that says such a file is not read.
std::string unreadDicomMessage(const std::string& name, const std::string& kind);

// One listing row per record (offset, group, element, length; group and element as signed
// 16-bit, the length as signed 32-bit) into `out`, at most TNumber / 4 rows; *count gets the
// number of rows. A record whose value runs past the end of the file is listed and ends the
// listing. A file that cannot be opened (relative names against the working folder) gives the
// one row (-1, -1, -1, -1). 0, with the reason reported, for a file of an unread kind; else 1.
int DoACR_nema_paramList_vk(std::string_view path, double* out, int* count);

// The value offset and length of the element, or (-1, -1); 0, with the reason reported, for a
// file of an unread kind; else 1.
int DoACR_nema_param_vk(std::string_view path, std::uint16_t group, std::uint16_t element, double out[2]);

// The voxel size of a file (a plain path): z from (0029,0100), x and y from the pixel spacing
// (0028,0030), whose two numbers may be separated by blanks or a backslash. 1 when both
// elements were found, else 0; sizes not found stay 0.
int getVoxelSize(const std::string& path, float* x, float* y, float* z);
