#pragma once
// Splitting volume work over threads: items (slices, image rows or point ranges) are handed out
// one at a time, so the result of every item depends only on the item. The calling thread
// takes items too, and it alone reports progress.

#include <functional>

namespace pravella::imaging {

// The number of threads for `items` items of about `costPerItem` voxel visits each: one for
// small work, else std::thread::hardware_concurrency(), unless a test has fixed it.
int workerCount(long long items, long long costPerItem);

// Ends a piece of work that the held button stopped: the progress indicator back to 0 and the
// break message. Returns 0, the work's failure.
int reportWorkBroken();

// Fixes the thread count (tests compare one thread with many); 0 restores the default.
void setWorkerCountForTests(int workers);

// Calls hook(done) on the calling thread after each item it finishes, as progress is called, so
// that a test can act in the middle of a piece of work; null removes it.
void setItemHookForTests(void (*hook)(int done));

// Runs work(worker, item) for every item in [0, count) on `workers` threads (worker 0 is the
// calling thread). progress(done) is called on the calling thread after each item it finishes,
// with the number of items finished by all threads so far.
void forEachItem(int count, int workers, const std::function<void(int worker, int item)>& work,
                 const std::function<void(int done)>& progress = {});

// The same over contiguous ranges: [0, count) is cut into a few ranges per thread, and
// work(worker, begin, end) runs once per range, so that a range can carry state from one item to
// the next (the sums of the slices before it). progress(done) counts items.
void forEachRange(int count, int workers, const std::function<void(int worker, int begin, int end)>& work,
                  const std::function<void(int done)>& progress = {});

}  // namespace pravella::imaging
