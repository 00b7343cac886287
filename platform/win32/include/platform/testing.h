// Test hooks of the platform: they make the rare paths of the system (failed
// allocations, huge blocks) happen on demand, and count what is still alive.
#pragma once

#include <cstddef>

namespace platform::testing {

// Makes the nth GlobalAlloc from now (1 = the next one) fail; 0 disarms.
void FailNthGlobalAlloc(unsigned long n);

// The largest block GlobalAlloc grants. Default 1 GiB, or the byte count in the
// environment variable PLATFORM_GLOBAL_LIMIT. 0 restores that default.
void SetGlobalAllocLimit(std::size_t bytes);
std::size_t GlobalAllocLimit();

// Number of global memory blocks allocated and not yet freed.
std::size_t LiveGlobalBlocks();

}  // namespace platform::testing
