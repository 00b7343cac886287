// Memory settings of the platform that are no Win32 call.
#pragma once

#include <cstddef>

namespace platform {

// The largest block GlobalAlloc grants: the byte count in the environment variable
// PLATFORM_GLOBAL_LIMIT, or 1 GiB when it is unset or not a positive number.
std::size_t GlobalAllocLimit();

// Blocks for a library's large arrays (a decoder's whole image), of undefined content.
// They come from the memory that holds GlobalAlloc's large blocks, so the pages one of
// them frees are taken again by the other without faulting in fresh ones. NULL when the
// memory cannot be had; FreeLargeBlock takes the block with the byte count it was
// asked for.
void* AllocateLargeBlock(std::size_t bytes);
void FreeLargeBlock(void* block, std::size_t bytes);

// The bytes one view of an image may hold for its pixels, all copies together: the
// byte count in the environment variable PLATFORM_VIEW_BUDGET, read at every call,
// or 2 GiB when it is unset, empty or not a positive number.
std::size_t ViewMemoryBudget();

}  // namespace platform
