// A movable global memory block, locked for as long as this object holds it, and
// unlocked and freed on every path unless it was handed over (Detach). The readers'
// pixel blocks, match buffers and LZW code lists live in these, so an error raised in
// the middle of a conversion leaks nothing.
#pragma once

#include <windows.h>

class CLockedGlobal {
 public:
  CLockedGlobal() = default;
  ~CLockedGlobal() { Free(); }
  CLockedGlobal(const CLockedGlobal&) = delete;
  CLockedGlobal& operator=(const CLockedGlobal&) = delete;

  // Replaces the block with a new one of nBytes (zero-filled when bZero); FALSE when
  // it cannot be had, above the platform's ceiling included.
  BOOL Allocate(ULONGLONG nBytes, BOOL bZero) {
    Free();
    if (nBytes > static_cast<ULONGLONG>(SIZE_MAX)) return FALSE;
    UINT nFlags = GMEM_MOVEABLE | (bZero ? GMEM_ZEROINIT : 0);
    m_hBlock = GlobalAlloc(nFlags, static_cast<size_t>(nBytes));
    if (m_hBlock == nullptr) return FALSE;
    m_pBits = static_cast<BYTE*>(GlobalLock(m_hBlock));
    if (m_pBits == nullptr) {
      GlobalFree(m_hBlock);
      m_hBlock = nullptr;
      return FALSE;
    }
    return TRUE;
  }

  BYTE* Bits() const { return m_pBits; }

  // Unlocks the block and gives up ownership of it.
  HGLOBAL Detach() {
    HGLOBAL hBlock = m_hBlock;
    if (hBlock != nullptr) GlobalUnlock(hBlock);
    m_hBlock = nullptr;
    m_pBits = nullptr;
    return hBlock;
  }

 private:
  void Free() {
    HGLOBAL hBlock = Detach();
    if (hBlock != nullptr) GlobalFree(hBlock);
  }

  HGLOBAL m_hBlock = nullptr;
  BYTE* m_pBits = nullptr;
};
