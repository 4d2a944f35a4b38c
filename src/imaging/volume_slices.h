#pragma once
// Rewriting a volume slice by slice in place, over threads, for filters whose output slice z
// depends on the input slices z-1, z and z+1. Each thread keeps the original of the slice it
// rewrites (and so of the one below the next); the slices next to a range that another thread
// rewrites are kept before any thread starts. No new array of the volume's size is needed.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace pravella::imaging {

// work(worker, z, below, at, above, out): below, at and above are the original voxels of slices
// z-1, z and z+1 (null outside the volume), out is slice z of `voxels`.
using SliceRewrite = std::function<void(int worker, int z, const std::int16_t* below, const std::int16_t* at,
                                        const std::int16_t* above, std::int16_t* out)>;

// Runs work for every slice z in [first, last) of a volume of `slices` slices of `plane` voxels,
// on `workers` threads; slices outside [first, last) are read, never written. progress(done)
// is called on the calling thread with the number of slices done. False, with the volume
// unchanged, when the kept slices cannot be allocated.
bool rewriteSlices(std::vector<std::int16_t>& voxels, std::size_t plane, int slices, int first, int last,
                   int workers, const SliceRewrite& work, const std::function<void(int done)>& progress = {});

}  // namespace pravella::imaging
