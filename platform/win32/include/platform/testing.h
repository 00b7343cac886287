// What tests see of the platform besides its faults (platform/faults.h, included
// here): the objects still alive, fill bytes for fresh blocks, and the directories
// modules are searched in.
#pragma once

#include <platform/faults.h>

#include <cstddef>
#include <string>
#include <vector>

namespace platform::testing {

// Fills every block that GlobalAlloc makes without GMEM_ZEROINIT with this byte, so a
// test can see which bytes a caller never wrote; -1 (the default) leaves them as the
// heap gives them.
void SetGlobalAllocFill(int byte);

// Number of global memory blocks allocated and not yet freed.
std::size_t LiveGlobalBlocks();

// When not empty, SearchPathA (and LoadLibraryA) search these directories in place
// of the program's and the calling module's, so a test can make a library missing
// or put one first. Empty restores the real directories.
void SetApplicationDirectories(std::vector<std::string> dirs);

// Number of GDI objects (device contexts, palettes) created and not yet deleted;
// stock objects are not counted.
std::size_t LiveGdiObjects();

}  // namespace platform::testing
