// The colour matching of one TIFF conversion: the session with the engine from the
// image's saved source profile to the monitor profile, the matched pixel block and
// the matched colour map. A matcher that is destroyed before End (an error left the
// conversion) ends the session it began and frees its block. The reader's profile lock
// is let go of once the session has read the profile, and before any message, so
// other views never wait for a person or for this conversion's pixels.
#pragma once

#include <afx.h>
#include <windows.h>

#include "bitmap/LockedGlobal.h"
#include "color/ZirnApi.h"

class CDIB;
class CProfileLock;
class CTIFF;

class CTiffMatcher {
 public:
  CTiffMatcher() = default;
  ~CTiffMatcher();
  CTiffMatcher(const CTiffMatcher&) = delete;
  CTiffMatcher& operator=(const CTiffMatcher&) = delete;

  // Matching set-up: on only when the image saved a profile and the engine is bound;
  // off after the monitor profile cannot be had or was never chosen (with the
  // messages for both). Allocates the matched block of nBlockBytes (not cleared: the
  // conversion writes all of it), raising when it cannot be had. With bMatchColorMap
  // the reader's colour map is matched in place. A CMYK image (bCmyk) whose session
  // cannot start is left unmatched: every one of its pixels would fail.
  void Begin(CTIFF* pTIFF, ULONGLONG nBlockBytes, BOOL bMatchColorMap, BOOL bCmyk);

  BOOL IsOn() const { return m_bOn; }
  // The matched block, at the same offsets as the conversion's output; null when off.
  BYTE* Bits() const { return m_block.Bits(); }

  // One RGB pixel into blue, green, red at pBgr; the engine's result is not examined.
  void MatchRgb(BYTE r, BYTE g, BYTE b, BYTE* pBgr) const {
    MatchColor color;
    SetMatchColor(&color, static_cast<uint16_t>(r * 257), static_cast<uint16_t>(g * 257),
                  static_cast<uint16_t>(b * 257), 0);
    m_pfnMatch(1, &color);
    StoreBgr(color, pBgr);
  }
  // One CMYK pixel into blue, green, red at pBgr; a failed match raises -108.
  void MatchCmyk(const BYTE* pCmyk, BYTE* pBgr) const;

  // Matching end: ends the session and hands the matched block to the bitmap.
  void End(CDIB* pDIB);

 private:
  static void StoreBgr(const MatchColor& color, BYTE* pBgr) {
    pBgr[0] = static_cast<BYTE>(color.c[2] >> 8);
    pBgr[1] = static_cast<BYTE>(color.c[1] >> 8);
    pBgr[2] = static_cast<BYTE>(color.c[0] >> 8);
  }
  BOOL MonitorProfile(CProfileLock* pLock, char** ppszMonitor) const;
  void MatchColorMap(CTIFF* pTIFF) const;

  BOOL m_bOn = FALSE;
  ZIRN_MatchProc m_pfnMatch = nullptr;
  CLockedGlobal m_block;
};
