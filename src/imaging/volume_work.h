#pragma once
// Volume operations build their result beside the voxels it replaces and swap it in only when
// it is complete, so that the held button (or the end's signal) can stop them between slices
// and a stopped or failed operation leaves every volume exactly as it was. The price is a second
// array of the result's size for the length of the operation; one the system cannot give
// without swapping is refused before it is asked for, with the reason.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace pravella::imaging {

// A new zeroed array of `voxels` voxels. False after reporting `noMemory` with the sizes when the
// system's available memory cannot hold it, or `noMemory` alone when the allocation fails.
bool allocResultVoxels(std::vector<std::int16_t>& out, std::size_t voxels, const char* noMemory);

// forEachItem with the break test before each item: once the button has been held (by any
// thread's test) the remaining items are skipped. False when the break stopped the work; the
// caller then reports it with reportWorkBroken and keeps its volume.
bool forEachItemUnlessBroken(int count, int workers, const std::function<void(int worker, int item)>& work,
                             const std::function<void(int done)>& progress = {});

}  // namespace pravella::imaging
