// A box of the median cut: an inclusive range of 5-bit cell coordinates per channel,
// the population-weighted mean of the counted cells inside it, and its population.
#pragma once

#include <windows.h>

struct ColorBox {
  SHORT rMin, rMax;
  SHORT gMin, gMax;
  SHORT bMin, bMax;
  DWORD rMean, gMean, bMean;  // truncated means, in cell coordinates
  DWORD population;           // counted pixels, at most QuantContext::kMaxCount
};
