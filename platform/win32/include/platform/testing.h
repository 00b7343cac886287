// Test hooks of the platform: they make the rare paths of the system (failed
// allocations, huge blocks) happen on demand, and count what is still alive.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform::testing {

// Makes the nth GlobalAlloc from now (1 = the next one) fail; 0 disarms.
void FailNthGlobalAlloc(unsigned long n);

// The largest block GlobalAlloc grants. Default 1 GiB, or the byte count in the
// environment variable PLATFORM_GLOBAL_LIMIT. 0 restores that default.
void SetGlobalAllocLimit(std::size_t bytes);
std::size_t GlobalAllocLimit();

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

// Makes the nth StartPage or EndPage from now (1 = the next one), on any printer
// context, fail with SP_ERROR; 0 disarms. A failing StartPage opens no page; a
// failing EndPage discards the page it ends.
void FailNthStartPage(unsigned long n);
void FailNthEndPage(unsigned long n);

}  // namespace platform::testing
