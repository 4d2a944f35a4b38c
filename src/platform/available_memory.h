#pragma once
// The memory the system can still give a process without swapping, for work that must refuse a
// large block before it asks for one: with overcommit, a block larger than this is granted and
// the process is killed later, when the block is touched.

namespace pravella {

// MemAvailable of /proc/meminfo in bytes; -1 when it cannot be read.
long long availableMemoryBytes();

// Fixes the answer (tests of a refusal and of the size beside it); a negative value restores
// the system's.
void setAvailableMemoryForTests(long long bytes);

}  // namespace pravella
