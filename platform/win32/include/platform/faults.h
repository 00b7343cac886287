// Fault injection: makes the rare paths of the system (failed allocations, huge
// blocks, pages that cannot be printed) happen on demand. Tests use it, and so does
// the host for its --fail-* options; the system itself never does.
#pragma once

#include <cstddef>

namespace platform::faults {

// Makes the nth GlobalAlloc from now (1 = the next one) fail; 0 disarms.
void FailNthGlobalAlloc(unsigned long n);

// Makes the nth HeapAlloc from now (1 = the next one) fail; 0 disarms.
void FailNthHeapAlloc(unsigned long n);

// Lowers (or raises) the largest block GlobalAlloc grants (see GlobalAllocLimit in
// platform/memory.h); 0 restores the setting of the environment.
void SetGlobalAllocLimit(std::size_t bytes);

// Makes the nth StartPage or EndPage from now (1 = the next one), on any printer
// context, fail with SP_ERROR; 0 disarms. A failing StartPage opens no page; a
// failing EndPage discards the page it ends.
void FailNthStartPage(unsigned long n);
void FailNthEndPage(unsigned long n);

}  // namespace platform::faults
